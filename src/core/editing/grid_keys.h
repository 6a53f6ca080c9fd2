// Keys released on the main grid and the row commands the popup List3 offers.
//
// Delete (46, no modifier) runs the current view's delete command, the same as the popup's
// first entry; a view without one (the favourites view) ignores the key. (Ctrl+C copies on
// its press, grid_key_down.h.)
//
// The popup runs its entries by position, each the command the current view's description
// names for it (view_description.h).
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::ports {
struct Ports;
}

namespace velmora::core::editing {

void gridKeyUp(app::App& app, int keyCode, int shift);

// The selected block of the grid onto the clipboard as text, tab between cells and carriage
// return between rows (Ctrl+C and the popup's Copy).
void copyCells(const grid::GridModel& grid, ports::Ports& ports);

// The popup's AddNew in the views that add no rows: says where adding is offered.
void addNewRestricted(app::App& app);

// The delete of the view shown (the Delete key and the popup's first entry).
void deleteForView(app::App& app);

// The popup entry at `position`; positions the view does not offer run nothing.
void runRowCommand(app::App& app, int position);

// Installs CopyCells and AddNewRestricted, the row commands every view may name.
void installRowCommandBasics(app::App& app);

}  // namespace velmora::core::editing
