// Deleting the selected rows of the duplicates view (the popup's Delete and the Delete key):
// after OK on the question, the CHANNELS row behind each selected grid row is deleted and
// the grid row removed. Favourite assignments stay: they belong to the channel, which keeps
// its other rows.
//
// A row is found by its SOURCEID, SID, NID and FREQUENCY cells, written as literals of their
// types; an empty FREQUENCY cell (a row stored without frequency) is matched by "Is Null". A
// row whose cells cannot form a sound statement, or whose record cannot be found or deleted,
// shows "ERROR" and stays in the grid; the rows below it still get their turn.
#pragma once

#include <optional>
#include <string>

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::maintenance {

// The statement that finds the CHANNELS row of duplicates-view row `row`, or nullopt when its
// cells cannot form one.
std::optional<std::string> duplicateRowStatement(const grid::GridModel& grid, int row);

// Deletes the record of grid row `row` and removes the row; false (after "ERROR") when
// nothing was deleted.
bool DeleteDuplicateRow(app::App& app, int row);

void DeleteDuplicateRows(app::App& app);

// Installs DeleteDuplicateRows as command::kDeleteDuplicateRows.
void installDeleteDuplicateRows(app::App& app);

}  // namespace velmora::core::maintenance
