// The rows of a query result, kept as compactly as a table keeps its own (packed_rows.h).
#pragma once

#include "engine/store/packed_rows.h"

namespace velmora::engine::sql {

using ResultRows = store::PackedRows;

}  // namespace velmora::engine::sql
