// "AddNew" of the table view: the add-record window FormAddNew, shown modally.
//
// The window lists the shown table's fields one per row, each with the value of the main
// grid's current row as a template (only the names when the table is empty). A double click
// or the space key edits a value in place (Escape drops the edit, Enter, Up and Down finish
// it); Ctrl+C and Ctrl+V copy and paste cells as clip text. OK first finishes an open edit;
// then it adds a record with every non-empty value assigned as text for the engine to
// convert. A value the engine refuses, on assignment or on saving, shows "Error " and the
// number and leaves the window open with the values, nothing stored. A stored record is
// committed, then appended to the main grid as typed, and the window closes. Cancel and the
// close box store nothing.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::explorer {

// Installs the command as command::kAddNewRow.
void installAddNewRow(app::App& app);

void AddNewRow(app::App& app);

}  // namespace velmora::core::explorer
