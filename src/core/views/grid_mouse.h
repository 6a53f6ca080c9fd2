// Mouse presses on the main grid. The press position only tells the header row, the
// row-marker column and the data area apart (the header row is the current cell's height
// from the grid's top, the marker column column 0's width from its left); the cell worked on
// is always the current cell, which a right press does not move.
//
// Right press: in the header row sort; else in the marker column open the row-command popup
// (not in the favourites view); else in the channel list's group column open the group
// list, and over whole selected rows (current column 1, selection to the last column) open
// the popup (not in the favourites view). Left press: in the header row sort; then, while the
// drag and drop window is open, start a drag from the grid (kStartGridDrag).
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::views {

// The command the drag and drop window installs to start dragging from the grid.
inline constexpr char kStartGridDrag[] = "StartGridDrag";

// `button` and `shift` as the grid reports them; x and y in twips from the grid's corner.
void gridMouseDown(app::App& app, int button, int shift, int xTwips, int yTwips);

// The data rows sorted ascending on the selected columns, numbers as numbers.
void sortGrid(app::App& app);

}  // namespace velmora::core::views
