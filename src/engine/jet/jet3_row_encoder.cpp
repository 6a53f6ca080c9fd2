// Jet 3 row images; see jet3_row_encoder.h.
#include "engine/jet/jet3_row_encoder.h"

#include <algorithm>

#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

// The bytes a variable-length column stores for a non-Null value.
Result<std::vector<uint8_t>> variableBytes(const ColumnDef& c, const Value& v,
                                           const LongValueSink& sink, uint16_t codePage) {
    switch (c.type) {
        case ColumnType::Text: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return valueTypeMismatch(c);
            return encodeJet3TextValue(c, *s, codePage);
        }
        case ColumnType::Memo: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return valueTypeMismatch(c);
            VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> data,
                                     encodeJet3TextValue(c, *s, codePage));
            return sink(c, std::move(data));
        }
        case ColumnType::Ole: {
            auto* b = std::get_if<store::Blob>(&v);
            if (!b)
                return valueTypeMismatch(c);
            return sink(c, *b);
        }
        case ColumnType::Binary:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11: {
            auto* b = std::get_if<store::Blob>(&v);
            if (!b)
                return valueTypeMismatch(c);
            return *b;
        }
        default: {
            // A number stored as a variable column (Access does this in a few system tables).
            uint8_t buf[17];
            VELMORA_ASSIGN_OR_RETURN(size_t n, encodeFixedValue(c, v, buf));
            return std::vector<uint8_t>(buf, buf + n);
        }
    }
}

// Fills the fixed-area field of a non-Null value, cut to the column's size.
Status putFixedField(uint8_t* field, const ColumnDef& c, const Value& v, const LongValueSink& sink,
                     uint16_t codePage) {
    if (putWholeNumber(field, c, v))
        return Status::ok();
    std::vector<uint8_t> bytes;
    if (c.type == ColumnType::Text) {
        auto* s = std::get_if<std::string>(&v);
        if (!s)
            return valueTypeMismatch(c);
        VELMORA_ASSIGN_OR_RETURN(bytes, encodeJet3TextValue(c, *s, codePage));
        // Fixed text is padded with blanks to the column size.
        bytes.resize(std::max<size_t>(bytes.size(), c.length), 0x20);
    } else if (store::fixedWidth(c.type) == 0) {
        VELMORA_ASSIGN_OR_RETURN(bytes, variableBytes(c, v, sink, codePage));
    } else {
        uint8_t buf[17];
        VELMORA_ASSIGN_OR_RETURN(size_t n, encodeFixedValue(c, v, buf));
        bytes.assign(buf, buf + n);
    }
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), c.length), field);
    return Status::ok();
}

}  // namespace

Status putJet3FixedValue(uint8_t* field, const ColumnDef& column, const Value& value,
                         uint16_t codePage) {
    return putFixedField(field, column, value, refusingLongValueSink(), codePage);
}

Result<std::vector<uint8_t>> encodeJet3TextValue(const ColumnDef& column, const std::string& utf8,
                                                 uint16_t codePage) {
    std::optional<std::vector<uint8_t>> bytes = text::encodeCodePage(utf8, codePage);
    if (!bytes) {
        return Status::error(err::kTypeConversion, "the text of column '" + column.name +
                                                       "' has characters that code page " +
                                                       std::to_string(codePage) + " cannot hold");
    }
    return std::move(*bytes);
}

Result<std::vector<uint8_t>> encodeJet3Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues, uint16_t codePage) {
    const size_t columnCount = schema.maxColumns;
    const size_t slots = schema.variableColumns;
    if (columnCount > 255 || slots > 255) {
        return Status::error(err::kNotADatabase,
                             "table '" + schema.name + "' has more columns than a Jet 3 row holds");
    }
    const size_t fixedArea = fixedAreaSize(schema);
    std::vector<uint8_t> out(1 + fixedArea, 0);
    out[0] = uint8_t(columnCount);
    std::vector<uint8_t> mask;
    std::vector<size_t> slotValues;
    VELMORA_RETURN_IF_ERROR(walkRowColumns(schema, row, out.data() + 1, mask, slotValues,
                                           [&](uint8_t* field, const ColumnDef& c, const Value& v) {
                                               return putFixedField(field, c, v, longValues,
                                                                    codePage);
                                           }));
    const size_t maskSize = mask.size();
    auto tooLarge = [&](size_t size) {
        return Status::error(err::kRecordTooLarge, "Record is too large (" + std::to_string(size) +
                                                       " bytes; a row of table '" + schema.name +
                                                       "' holds at most " +
                                                       std::to_string(kJet3MaxRowSize) + ").");
    };
    if (slots > 0) {
        std::vector<size_t> starts(slots + 1);
        for (size_t s = 0; s < slots; ++s) {
            starts[s] = out.size();
            const size_t value = slotValues[s];
            if (value < row.size()) {
                VELMORA_ASSIGN_OR_RETURN(
                    std::vector<uint8_t> bytes,
                    variableBytes(schema.columns[value], row[value], longValues, codePage));
                out.insert(out.end(), bytes.begin(), bytes.end());
            }
        }
        const size_t eod = out.size();
        starts[slots] = eod;
        if (eod > kJet3MaxRowSize)
            return tooLarge(eod);
        // The jump count depends on the whole length, which includes the jump bytes.
        size_t jumps = 0;
        for (;;) {
            size_t length = eod + 1 + slots + jumps + 1 + maskSize;
            size_t needed = (length - 1) / 256;
            if (needed == jumps)
                break;
            jumps = needed;
        }
        // Jumps the offsets need; a reader takes one more stored byte as a filler only.
        const size_t real = eod / 256;
        if (jumps > real + 1) {
            return Status::error(err::kOperationNotSupported,
                                 "a row of table '" + schema.name +
                                     "' has a trailer too long for the Jet 3 jump table");
        }
        out.push_back(uint8_t(eod & 0xFF));
        for (size_t s = slots; s-- > 0;)
            out.push_back(uint8_t(starts[s] & 0xFF));
        std::vector<uint8_t> table(jumps, 0xFF);
        for (size_t k = 0; k < real; ++k) {
            size_t first = 0;
            while (starts[first] < (k + 1) * 256)
                ++first;
            table[k] = uint8_t(first);
        }
        // Entry 0 sits next to n, so the table is stored last entry first.
        for (size_t k = jumps; k-- > 0;)
            out.push_back(table[k]);
        out.push_back(uint8_t(slots));
    }
    out.insert(out.end(), mask.begin(), mask.end());
    if (out.size() > kJet3MaxRowSize)
        return tooLarge(out.size());
    return out;
}

}  // namespace velmora::engine::jet
