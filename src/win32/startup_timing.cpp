#include "win32/startup_timing.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "win32/install_front_end.h"

namespace velmora::win32 {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void report(const std::string& line) {
    // A program of the windows subsystem has a standard error only when its starter gave it one.
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (err != nullptr && err != INVALID_HANDLE_VALUE)
        WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

void installStartupTiming(FrontEnd& frontEnd, Clock::time_point started) {
    if (std::getenv("VELMORA_STARTUP_TIMING") == nullptr)
        return;
    GridControl* grid = frontEnd.mainWindow().controls().grid(core::app::control::kMainGrid);
    if (grid == nullptr)
        return;
    // The moment the first paint's command (which loads the channel list) has ended.
    auto loaded = std::make_shared<Clock::time_point>();
    core::app::App& app = frontEnd.app();
    frontEnd.mainWindow().setListsLoaded([loaded] {
        if (*loaded == Clock::time_point())
            *loaded = Clock::now();
    });
    grid->setPaintObserver([&app, grid, loaded, started, done = false](double drawing) mutable {
        if (done || app.state().FirstPaintPending || grid->model().dataRowCount() == 0)
            return;
        done = true;
        const Clock::time_point now = Clock::now();
        char line[200];
        std::snprintf(line, sizeof line,
                      "channel list painted after %.0f ms (%d rows), %.1f ms after it was "
                      "loaded, drawn in %.1f ms\n",
                      millisecondsBetween(started, now), grid->model().dataRowCount(),
                      *loaded == Clock::time_point() ? 0.0 : millisecondsBetween(*loaded, now),
                      drawing);
        report(line);
        PostQuitMessage(0);
    });
}

}  // namespace velmora::win32
