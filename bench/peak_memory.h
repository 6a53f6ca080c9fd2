// The peak resident memory of one stretch of a benchmark program, such as the program started
// on a file and running a command, without what the benchmark's own set-up (generating and
// writing the demo database) took before: the set-up runs in a child process (writeApart() in
// demo_file.h), the memory the program freed goes back to the system, the kernel's high-water
// mark is reset (/proc/self/clear_refs), and read at the end. Linux only; elsewhere the
// figure is 0.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velmora::bench {

inline void startPeakMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The high-water mark of the resident set since startPeakMemory(), in kilobytes.
inline long peakMemoryKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            long kb = 0;
            std::istringstream(line.substr(6)) >> kb;
            return kb;
        }
    }
    return 0;
}

}  // namespace velmora::bench
