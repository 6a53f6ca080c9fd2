// Mouse presses on the main grid. The press position only tells the header row, the
// row-marker column and the data area apart (the header row is the current cell's height
// from the grid's top, the marker column column 0's width from its left); the cell worked on
// is always the current cell, which a right press does not move.
//
// Right press: in the header row sort; else in the marker column open the row-command popup
// (where the view offers it on a right press); else open the editor the view gives the
// current column on a right press (the channel list's group list), and over whole selected
// rows (current column 1, selection to the last column) open the popup. Left press: in the
// header row sort; then, while the drag and drop window is open, start a drag from the grid
// (command::kStartGridDrag).
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::views {

void gridMouseDown(app::App& app, int button, int shift, int xTwips, int yTwips);

// The data rows sorted ascending on the selected columns, numbers as numbers.
void sortGrid(app::App& app);

}  // namespace velmora::core::views
