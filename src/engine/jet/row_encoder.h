// Row images in the Jet 4 layout, the inverse of crackRow():
//
//   [columns u16][fixed area][variable data][EOD u16][var offsets u16 × n, last first][n u16]
//   [null mask]
//
// The row carries the table's full column count (max columns, deleted ones included) and all
// n variable slots; slots of deleted or Null columns are empty. The fixed area always has room
// for every fixed column. Long values (MEMO, OLE) are handed to a LongValueSink, which
// decides between inline data and LVAL rows and returns the field the row stores.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/format.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// Largest row image Jet 4 accepts on a data page (long values on LVAL pages not counted).
inline constexpr size_t kJet4MaxRowSize = 4060;
// Long values up to this many bytes may stay inside the row.
inline constexpr size_t kMaxInlineLongValue = 64;

// Returns the row field of a long value: the 12-byte header, followed by the data when the
// sink keeps it inline.
using LongValueSink =
    std::function<Result<std::vector<uint8_t>>(const store::ColumnDef&, std::vector<uint8_t>)>;

// The stored bytes of a Text or Memo value: compressed Unicode when the column asks for it
// and the text allows it, else UTF-16LE.
std::vector<uint8_t> encodeJet4TextValue(const store::ColumnDef& column, const std::string& utf8);

// The row image. 3047 when it exceeds kJet4MaxRowSize; 3421 when a value's type does not fit
// its column.
Result<std::vector<uint8_t>> encodeJet4Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues);

// The stored bytes of a value of a fixed-size type (number, currency, date, GUID, decimal),
// the same in both versions; `buf` takes at least 17 bytes. Returns how many were written.
Result<size_t> encodeFixedValue(const store::ColumnDef& column, const store::Value& value,
                                uint8_t* buf);

// A sink that stores nothing: inline when small, else a 12-byte placeholder. Gives the row
// size that a real sink would produce, for checks before anything is written.
LongValueSink sizingLongValueSink();

}  // namespace velmora::engine::jet
