// Finding a grid row's record again by the values the grid shows for it.
//
// The grid holds no row identity. A table view, the groups view and the row commands find a
// row's record by a statement over the shown table: every header as a field, in column
// order ("SELECT h1 ,h2 ,... FROM table WHERE ..."), and one condition per non-empty cell,
// joined by AND. Each value is written as the literal of its field's type, so what the row
// shows is what the statement compares:
//   - Text and Memo: between single quotes, inner quotes doubled, as stored (not trimmed);
//   - numbers: bare, only when the cell reads as a number;
//   - Yes/No: True or False;
//   - dates: #yyyy-mm-dd hh:mm:ss#, the form the views show;
//   - binary, OLE and GUID cells cannot be compared as text and are left out.
// Every name is bracketed, so a name with a blank or one spelled like a keyword (a field
// called Select) is taken as a name. The field set is in grid column order, so
// field position col - 1 is the value of grid column col.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::engine::dao {
class Database;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::editing {

// The statement for grid row `row` of `table`, or nullopt when no sound statement can be
// formed: no cell takes part (all empty), a header names no field of the table, or a cell
// does not read as a value of its field's type.
std::optional<std::string> rowFindingStatement(engine::dao::Database& db, std::string_view table,
                                               const grid::GridModel& grid, int row);

}  // namespace velmora::core::editing
