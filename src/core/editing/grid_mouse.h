// Mouse presses on the main grid. The press position tells the header row, the row-marker
// column and the data area apart (the header row is the current cell's height from the
// grid's top, the marker column column 0's width from its left); in the data area the cell
// worked on is the current cell, which a right press there does not move.
//
// Right press: in the header row sort; else in the marker column, where the view offers the
// row-command popup on a right press, make the pressed row the selected one unless it is one
// of the selected rows, and open the popup at the press; else open the editor the view gives
// the current column on a right press (the channel list's group list), and over whole
// selected rows (current column 1, selection to the last column) open the popup at the
// press. Left press: in the header row sort; then, while the drag and drop window is open,
// start a drag from the grid (command::kStartGridDrag).
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::editing {

void gridMouseDown(app::App& app, int button, int shift, int xTwips, int yTwips);

// The context-menu key or Shift+F10: the popup at the current cell, where the view offers
// it on a right press in the marker column.
void openRowPopupFromKeyboard(app::App& app);

// The data rows sorted ascending on the selected columns, numbers as numbers.
void sortGrid(grid::GridModel& grid);

}  // namespace velmora::core::editing
