// Deleting the records behind grid rows of a table view (the popup's Delete and the Delete
// key): DeleteSelectedRows asks, then deletes the selected rows one by one with
// DeleteTableRow.
//
// A row's record is found by the row's values as the grid shows them (row_finder.h); the
// first record the statement returns is deleted and the grid row removed, so of two equal
// rows exactly one goes. A row whose record cannot be found or deleted shows "ERROR" once and
// stays; a multi-row delete then goes on with the rows below it.
#pragma once

#include <functional>
#include <string>

#include "core/app/ui_text.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::explorer {

// Installs DeleteSelectedRows as command::kDeleteSelectedRows.
void installDeleteRows(app::App& app);

void DeleteSelectedRows(app::App& app);

// Deletes the record of grid row `row` of the table CurrentView and removes the grid row (a
// grid left with no data row keeps only its header). False, after "ERROR", when nothing was
// deleted.
bool DeleteTableRow(app::App& app, int row);

// The selected rows, first the smaller of Row and RowSel.
struct SelectedRows {
    int first = 0;
    int count = 0;
};
SelectedRows selectedRows(app::App& app);

// Runs DeleteTableRow over the selected rows from the top; `afterRow` (may be empty) runs
// after each attempt with the row's column-1 text as it stood before and whether it went.
// Then Label1 := the data rows and `suffix`.
void deleteSelectedRows(app::App& app, const SelectedRows& rows, app::UiKey suffix,
                        const std::function<void(const std::string& firstCell, bool deleted)>&
                            afterRow);

}  // namespace velmora::core::explorer
