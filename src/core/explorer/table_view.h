// "ShowTable" (Command2, and a double click on an entry of List1): shows the selected table
// of the explorer's list in the main grid, every field a column as wide as its name, every
// record a row sorted on the first field, and makes the table the current view. Its cells
// are written back one by one as they are edited (table_cell_writer.h); its popup offers
// Delete, AddNew, Copy and Paste.
//
// Values are shown in one plain text form per type, the form the cell writer's row finding
// reads back (recordset_grid.h): text as stored, numbers in the C locale, Yes/No as True or
// False, dates as yyyy-mm-dd with hh:mm:ss when not midnight. Binary, OLE and GUID cells are
// shown but take no part in finding a row.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::explorer {

// Installs ShowTable (command::kShowTable), its button and List1's double click, and
// registers the table view.
void installTableView(app::App& app);

void ShowTable(app::App& app);

}  // namespace velmora::core::explorer
