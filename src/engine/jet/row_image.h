// What the row images of both versions share, and encodeRowFor(), which picks the layout of
// the file's version (Jet 3: jet3_row_encoder.h, Jet 4: jet4_row_encoder.h).
//
// Both layouts start with the column count, then the fixed area (every fixed column's bytes at
// its offset), and end with the null mask: one bit per column number, set for a non-Null value
// and for a Yes of a Yes/No column, which has no other storage. They differ in the width of
// the count and of the offsets, in how text is stored, and in Jet 3's jump table.
// Long values (MEMO, OLE) are handed to a LongValueSink, which decides between inline data and
// LVAL rows and returns the field the row stores.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/base/status.h"
#include "engine/jet/format.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// Long values up to this many bytes may stay inside the row.
inline constexpr size_t kMaxInlineLongValue = 64;

// Returns the row field of a long value: the 12-byte header, followed by the data when the
// sink keeps it inline.
using LongValueSink =
    std::function<Result<std::vector<uint8_t>>(const store::ColumnDef&, std::vector<uint8_t>)>;

// A sink that stores nothing: inline when small, else a 12-byte placeholder. Gives the row
// size that a real sink would produce, for checks before anything is written.
LongValueSink sizingLongValueSink();
// A sink for a table without long values: any value handed to it is refused with 3251.
const LongValueSink& refusingLongValueSink();

// The stored bytes of a value of a fixed-size type (number, currency, date, GUID, decimal),
// the same in both versions; `buf` takes at least 17 bytes. Returns how many were written.
Result<size_t> encodeFixedValue(const store::ColumnDef& column, const store::Value& value,
                                uint8_t* buf);

// A whole number into the fixed field of a Byte, Integer or Long column, cut to the column's
// length like any fixed value: the bytes encodeFixedValue() gives, without its buffer and
// Result, as most fixed values of a channel row are such numbers. False, writing nothing, for
// any other column or value.
inline bool putWholeNumber(uint8_t* field, const store::ColumnDef& column,
                           const store::Value& value) {
    const auto* number = std::get_if<int64_t>(&value);
    size_t bytes = 0;
    switch (column.type) {
        case store::ColumnType::Byte:
            bytes = 1;
            break;
        case store::ColumnType::Integer:
            bytes = 2;
            break;
        case store::ColumnType::Long:
            bytes = 4;
            break;
        default:
            return false;
    }
    if (number == nullptr)
        return false;
    bytes = std::min<size_t>(bytes, column.length);
    for (size_t k = 0; k < bytes; ++k)
        field[k] = uint8_t(uint64_t(*number) >> (8 * k));
    return true;
}

// The row image in the layout of `fmt`; `codePage` is used by Jet 3 text only.
Result<std::vector<uint8_t>> encodeRowFor(const JetFormat& fmt, uint16_t codePage,
                                          const store::TableSchema& schema, const store::Row& row,
                                          const LongValueSink& longValues);

// The buffers a row image is built in, kept from one row to the next so that encoding many
// rows allocates nothing per row.
struct RowBuffers {
    std::vector<uint8_t> image;
    std::vector<uint8_t> mask;
    std::vector<size_t> slotValues;
};

// Encodes rows of one table one after another, as encodeRowFor() does, into buffers it keeps:
// a commit that writes thousands of rows builds each image where the last one was.
class RowEncoder {
public:
    RowEncoder(const JetFormat& fmt, uint16_t codePage, const store::TableSchema& schema);
    // The image of `row`, valid until the next call; the errors of encodeRowFor().
    Result<Bytes> encode(const store::Row& row, const LongValueSink& longValues);

private:
    const JetFormat& m_fmt;
    uint16_t m_codePage;
    const store::TableSchema& m_schema;
    size_t m_fixedArea;
    RowBuffers m_buffers;
};

// Long values kept in one LVAL row up to this size, and the data carried by each row of a
// chain (its first four bytes point to the next row).
size_t maxSingleLongValue(const JetFormat& fmt);
size_t longValueChunk(const JetFormat& fmt);

// 3421 for a value whose type does not fit its column.
Status valueTypeMismatch(const store::ColumnDef& column);

// Bytes of the fixed area: room for every fixed column (Yes/No columns live in the mask).
size_t fixedAreaSize(const store::TableSchema& schema);

// The walk over a row's columns that both layouts share. Sets the null mask (`mask`, sized for
// the table's column count), fills each fixed column's field in `fixedArea` through
// putFixed(field, column, value), and sets slotValues[s] to the position in `row` of the
// value variable slot s stores (row.size() for an empty slot). 3421 for a value of the wrong
// type, 3049 for a column beyond the table's column count or slots.
template <class PutFixed>
Status walkRowColumns(const store::TableSchema& schema, const store::Row& row, uint8_t* fixedArea,
                      std::vector<uint8_t>& mask, std::vector<size_t>& slotValues,
                      PutFixed&& putFixed) {
    if (row.size() != schema.columns.size())
        return Status::error(err::kInvalidArgument, "row does not match its table's columns");
    const size_t columnCount = schema.maxColumns;
    mask.assign((columnCount + 7) / 8, 0);
    slotValues.assign(schema.variableColumns, row.size());
    for (size_t i = 0; i < row.size(); ++i) {
        const store::ColumnDef& c = schema.columns[i];
        if (c.number >= columnCount) {
            return Status::error(err::kNotADatabase,
                                 "column '" + c.name + "' lies beyond the table's column count");
        }
        const store::Value& v = row[i];
        if (c.type == store::ColumnType::Boolean) {
            auto* b = std::get_if<bool>(&v);
            if (b == nullptr && !store::isNull(v))
                return valueTypeMismatch(c);
            if (b && *b)
                mask[c.number / 8] |= uint8_t(1u << (c.number % 8));
            continue;
        }
        if (store::isNull(v))
            continue;
        mask[c.number / 8] |= uint8_t(1u << (c.number % 8));
        if (c.isFixed()) {
            VELMORA_RETURN_IF_ERROR(putFixed(fixedArea + c.fixedOffset, c, v));
        } else {
            if (c.variableSlot >= slotValues.size()) {
                return Status::error(err::kNotADatabase,
                                     "column '" + c.name + "' has variable slot " +
                                         std::to_string(c.variableSlot) + " beyond the table's " +
                                         std::to_string(slotValues.size()));
            }
            slotValues[c.variableSlot] = i;
        }
    }
    return Status::ok();
}

}  // namespace velmora::engine::jet
