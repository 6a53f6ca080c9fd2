// A quick answer to whether a row certainly fits a Jet 4 data page, so that the store's fit
// check (JetRowRules::checkRowFits) builds the row image only for rows that may not.
#pragma once

#include <cstddef>
#include <optional>

#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// At least as many bytes as the Jet 4 row image of `row` takes with its long values stored
// outside the row (jet4_row_encoder.h). nullopt when the encoder would refuse the row for
// anything but its size (a value of the wrong type, a column beyond the table's column count
// or variable slots): only the encoder tells what is wrong then.
std::optional<size_t> jet4RowSizeBound(const store::TableSchema& schema, const store::Row& row);

}  // namespace velmora::engine::jet
