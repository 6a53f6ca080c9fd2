// Row images and the values in them.
//
// Jet 4 row:  [columns u16][fixed area][variable data][EOD u16][var offsets u16 × n, last
//             first][n u16][null mask]
// Jet 3 row:  [columns u8][fixed area][variable data][EOD u8][var offsets u8 × n, last
//             first][jump table][n u8][null mask]
//
// The null mask has one bit per column number (1 = not null; for a Yes/No column the bit is
// the value). A column whose number is not below the row's column count is null (the row was
// written before the column existed). Jet 3 offsets hold only their low byte; the jump table
// names, for each multiple of 256, the first variable slot at or beyond it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"
#include "engine/store/packed_rows.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// Where one column's bytes sit in a row image.
struct RowField {
    bool present = false;  // null-mask bit (for Yes/No columns: the value)
    Bytes data;            // fixed or variable bytes; empty for null and Yes/No columns
};

// Splits a row image into one RowField per column of `schema.columns` (same order).
Result<std::vector<RowField>> crackRow(const JetFormat& fmt, const store::TableSchema& schema,
                                       Bytes row);

// Where the fixed area of a row image ends: at the first variable column's data, or at the
// trailer in a row without variable columns. `scratch` is storage kept from one call to the
// next. Damage as crackRow() reports it.
Result<size_t> fixedAreaEnd(const JetFormat& fmt, const store::TableSchema& schema, Bytes row,
                            std::vector<uint32_t>& scratch);

// Reads the LVAL row a long-value header points to.
using LongValueRowReader = std::function<Result<RowBytes>(RowPointer)>;

// Assembles a MEMO/OLE value from its 12-byte header (and inline data) in the row.
// `maxBytes` bounds the length a header may claim.
Result<std::vector<uint8_t>> readLongValue(Bytes field, const LongValueRowReader& readRow,
                                           size_t maxBytes);

struct ValueContext {
    const JetFormat* fmt = nullptr;
    uint16_t codePage = 1252;        // Jet 3 text
    LongValueRowReader readLongRow;  // MEMO and OLE
    size_t maxLongValueBytes = 1u << 30;
};

// Decodes one column's value from its field.
Result<store::Value> decodeValue(const store::ColumnDef& column, const RowField& field,
                                 const ValueContext& ctx);

// Decodes a whole row image into values in schema.columns order.
Result<store::Row> decodeRow(const store::TableSchema& schema, Bytes row, const ValueContext& ctx);

// Decodes the rows of a scan one after the other, reusing the last row's buffers: a table of
// 32 767 channels is read without an allocation per row and per text.
class RowDecoder {
public:
    explicit RowDecoder(const ValueContext& ctx) : m_ctx(ctx) {}
    // decodeRow() into `out`, reusing the storage of the values it holds.
    Status decode(const store::TableSchema& schema, Bytes row, store::Row& out);
    // The same values packed, as a table in memory keeps them, without a Value for each.
    // With `wanted` (a byte per column, non-zero to decode) the other columns are neither
    // found nor decoded: each adds a Null.
    Status decode(const store::TableSchema& schema, Bytes row, store::PackedRowBuilder& out,
                  std::span<const uint8_t> wanted = {});

private:
    const ValueContext& m_ctx;
    std::vector<RowField> m_fields;
    std::vector<uint32_t> m_starts;  // of the variable slots
    std::string m_text;              // a text on its way into a packed row
};

}  // namespace velmora::engine::jet
