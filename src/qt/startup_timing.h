// Start-up timing, for measuring the program as a user starts it: with VELMORA_STARTUP_TIMING
// set in the environment, the program writes to standard error how many milliseconds after
// `started` the grid first painted the loaded channel list, and then ends.
#pragma once

#include <chrono>

namespace velmora::core::app {
class App;
}

namespace velmora::qt {

class MainWindow;

// Does nothing unless VELMORA_STARTUP_TIMING is set.
void installStartupTiming(MainWindow& window, core::app::App& app,
                          std::chrono::steady_clock::time_point started);

}  // namespace velmora::qt
