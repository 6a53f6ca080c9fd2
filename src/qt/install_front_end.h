// What the Qt front end adds to its main window over the installed core: in-place editing over
// the grid, the group picker's keys and the main window's shortcuts. The program's entry point
// and the Qt tests both build the window through installFrontEnd(), so a test runs the window
// the user gets; a new window-level feature is one line here.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::qt {

class MainWindow;

// Needs the core put together first (core::program::installProgram).
void installFrontEnd(MainWindow& window, core::app::App& app);

}  // namespace velmora::qt
