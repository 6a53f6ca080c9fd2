// Reading the number a counting statement gives ("SELECT Count(*) FROM CHANNELS").
//
// The commands use such a count to size a window or to check a limit before they change
// anything, so a field that holds no count must stop the command with the engine's error
// rather than with whatever a text-to-integer conversion throws.
#pragma once

#include "engine/dao/field.h"

namespace velmora::core::db {

// The field's value as a count: Null (an outer join's group without rows) is 0, a whole
// number of 0 or more is itself. Anything else (a text, a fraction, a negative number, as a
// damaged file or a changed statement may give) throws DaoError 3421, naming the field.
long long readCount(const engine::dao::Field& field);

}  // namespace velmora::core::db
