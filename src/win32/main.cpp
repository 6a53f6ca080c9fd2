// Velmora's entry point on Windows. The program reads only its settings; it takes no command
// line.
#include <windows.h>

#include <chrono>

#include "win32/install_front_end.h"
#include "win32/startup_timing.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<velmora::win32::FrontEnd> frontEnd = velmora::win32::installFrontEnd();
    velmora::win32::installStartupTiming(*frontEnd, started);
    if (!frontEnd->start())
        return 0;
    return frontEnd->run();
}
