// A channel database that Velmora may only read (another program has it open, or the file or
// its folder cannot be written) is shown at a glance, and commands that would write say why
// they cannot before they change anything.
#pragma once

#include <string>

namespace velmora::core::app {

class App;

// Names the read-only state in the main window: a note after the window's caption in the
// title bar, and the reason on the frame under the grid (whose caption is otherwise empty).
// Both are cleared for a writable database. Run whenever a channel database was opened.
void showReadOnlyState(App& app);

// When the channel database is open read-only, shows the write error with the file and the
// reason once and returns true; a command that writes calls it before it changes the grid
// or asks anything.
bool refuseWhileReadOnly(App& app);

}  // namespace velmora::core::app
