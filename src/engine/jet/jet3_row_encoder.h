// Row images in the Jet 3 (Access 97) layout, the inverse of crackRow() for 2 KB pages:
//
//   [columns u8][fixed area][variable data][EOD u8][var offsets u8 × n, last first]
//   [jump table][n u8][null mask]
//
// Offsets keep only their low byte; the jump table supplies the high part. With L the row
// length, the table holds (L - 1) / 256 bytes: entry k names the first variable slot (EOD
// counting as slot n) whose offset reaches (k + 1) × 256, and a last entry the data does not
// need is a 0xFF filler. Text is stored in the file's code page, not as UTF-16. What both
// versions share is in row_image.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/row_image.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// Largest row image a Jet 3 data page takes (long values on LVAL pages not counted).
inline constexpr size_t kJet3MaxRowSize = 2012;

// The stored bytes of a Text or Memo value in `codePage`; 3421 when a character has no byte
// in that code page.
Result<std::vector<uint8_t>> encodeJet3TextValue(const store::ColumnDef& column,
                                                 const std::string& utf8, uint16_t codePage);

// Writes a non-Null value of a fixed-width column into its field of the fixed area, which
// holds zeros: the bytes the row image gives it. 3421 when the value's type does not fit or
// its text the code page.
Status putJet3FixedValue(uint8_t* field, const store::ColumnDef& column, const store::Value& value,
                         uint16_t codePage);

// The row image. 3047 when it exceeds kJet3MaxRowSize; 3421 when a value's type does not fit
// its column or its text the code page.
Result<std::vector<uint8_t>> encodeJet3Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues, uint16_t codePage);

}  // namespace velmora::engine::jet
