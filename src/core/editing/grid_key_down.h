// Keys pressed on the main grid. Ctrl+C (67 with Ctrl, other modifiers ignored) copies the
// selected block on the press, so the copy happens whichever of the two keys is let go
// first. The others stand in for the mouse, so a keyboard user reaches every editor and row
// command: F2 opens the editor of the current cell exactly as a double click does, and the
// context-menu key or Shift+F10 opens the row-command popup at the current cell where a right
// press in the row-marker column opens it. Other keys pressed on the grid do nothing here
// (the grid moves its current cell itself; Delete acts when released, grid_keys.h).
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::editing {

void gridKeyDown(app::App& app, int keyCode, int shift);

}  // namespace velmora::core::editing
