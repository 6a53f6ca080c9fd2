// Start-up timing, for measuring the program as a user starts it: with VELMORA_STARTUP_TIMING
// set in the environment, the program writes to standard error how many milliseconds after
// `started` the grid first painted the loaded channel list, how long after the list was loaded
// that was, and how long the grid's drawing itself took; then it ends.
#pragma once

#include <chrono>

namespace velmora::win32 {

class FrontEnd;

// Does nothing unless VELMORA_STARTUP_TIMING is set.
void installStartupTiming(FrontEnd& frontEnd, std::chrono::steady_clock::time_point started);

}  // namespace velmora::win32
