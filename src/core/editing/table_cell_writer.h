// Writing one edited cell of a table view (and of the groups view, which shows the table
// FAVNAME) back into its record.
//
// The record is found by the row's values as the grid shows them (row_finder.h), opened for
// changing, given the editor's text in the edited field (the engine converts it to the
// field's type) and stored. A refusal shows "Error " and the engine's number; a row that no
// sound statement describes, or that the statement does not find, is reported with the
// number for "no current record" (3021). Whenever nothing was stored, the editor gets the
// old text back, so the cell shows what the file holds. FavDirty is cleared in every case.
#pragma once

#include <string>

#include "core/app/cell_writer.h"

namespace velmora::engine::dao {
class Database;
}

namespace velmora::core::editing {

// Returns whether the value was stored.
bool writeTableCell(app::App& app, const app::EditedCell& cell);

// Gives field `field` of the first record `sql` finds the value `text` (the engine converts it)
// and stores it; the Jet error number, 0 when it worked, 3021 when no record was found.
int storeInFirstRecord(engine::dao::Database& database, const std::string& sql, int field,
                       const std::string& text);

}  // namespace velmora::core::editing
