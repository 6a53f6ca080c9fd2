// Row images in the Jet 4 layout, the inverse of crackRow():
//
//   [columns u16][fixed area][variable data][EOD u16][var offsets u16 × n, last first][n u16]
//   [null mask]
//
// The row carries the table's full column count (max columns, deleted ones included) and all
// n variable slots; slots of deleted or Null columns are empty. The fixed area always has room
// for every fixed column. What both versions share is in row_image.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/row_image.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// Largest row image Jet 4 accepts on a data page (long values on LVAL pages not counted).
inline constexpr size_t kJet4MaxRowSize = 4060;

// The stored bytes of a Text or Memo value: compressed Unicode when the column asks for it
// and the text allows it, else UTF-16LE.
std::vector<uint8_t> encodeJet4TextValue(const store::ColumnDef& column, const std::string& utf8);

// Writes a non-Null value of a fixed-width column into its field of the fixed area, which
// holds zeros: the bytes the row image gives it. 3421 when the value's type does not fit.
Status putJet4FixedValue(uint8_t* field, const store::ColumnDef& column, const store::Value& value);

// The row image. 3047 when it exceeds kJet4MaxRowSize; 3421 when a value's type does not fit
// its column.
Result<std::vector<uint8_t>> encodeJet4Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues);
// The same into buffers.image, reusing the buffers' storage; `fixedArea` is
// fixedAreaSize(schema).
Status encodeJet4RowInto(const store::TableSchema& schema, size_t fixedArea, const store::Row& row,
                         const LongValueSink& longValues, RowBuffers& buffers);

}  // namespace velmora::engine::jet
