// Giving one CHANNELS record its new channel number, as ReNumber and "Delete empty channels"
// number the whole table.
#pragma once

#include "engine/dao/recordset.h"

namespace velmora::core::maintenance {

// Edits the current record of `rs`, sets its field `field` to `number` and saves it; throws
// DaoError as those calls do. A record that shows the number already is left alone: saving it
// would change nothing in the file, and an edit costs more than the rest of the numbering.
void numberRecord(engine::dao::Recordset& rs, int field, int number);

}  // namespace velmora::core::maintenance
