// The calendar time on the user's wall clock at a moment: Jet stamps dates in local time and
// backups are named after it. One home for the platform's call (localtime_r on POSIX,
// localtime_s on Windows), which both need and neither library function is portable.
#pragma once

#include <ctime>

namespace velmora::engine {

std::tm localTimeOf(std::time_t t);

}  // namespace velmora::engine
