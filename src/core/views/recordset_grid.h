// Filling the main grid from a record set, the way the favourites view, the groups view, the
// duplicates view and table views show their rows: row 0 holds the field names exactly, left
// aligned; column 0 is the empty row-marker column; each record is one row of its values in
// their plain text form (Field::text(): numbers in the C locale, True/False, dates as
// yyyy-mm-dd hh:mm:ss), untrimmed, Null as an empty cell.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/app/ui_text.h"

namespace velmora::engine::dao {
class Recordset;
}

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::views {

// Header from the set's fields, ColumnIsText flag i := field i is Text (flags past the last
// field keep their values), columns := fields + 1, rows := 1.
void showFieldsAsHeader(app::App& app, engine::dao::Recordset& rs);

// When the set has records: Label1 := the count and `suffix`, one grid row per record from
// the first on, and the rows sorted ascending on column 1. Returns the number of records.
int showRecords(app::App& app, engine::dao::Recordset& rs, app::UiKey suffix);

// Adds one row whose cells from column 1 on are `cells`, each kept whole: a value holding a
// tab (which AddItem takes as the end of a cell) is set on its own, so it neither splits nor
// moves the cells after it.
void addRowOfCells(grid::GridModel& grid, const std::vector<std::string>& cells);

// Column c := widths[c] twips, for the columns the grid has.
void setColumnWidths(grid::GridModel& grid, std::span<const int> widths);

// Label1 := the grid's data row count and `suffix`.
void showDataRowCount(app::App& app, app::UiKey suffix);

}  // namespace velmora::core::views
