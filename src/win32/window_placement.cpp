#include "win32/window_placement.h"

#include <algorithm>

namespace velmora::win32 {

namespace {

int widthOf(const RECT& r) {
    return r.right - r.left;
}
int heightOf(const RECT& r) {
    return r.bottom - r.top;
}

RECT at(const RECT& window, LONG left, LONG top) {
    return RECT{left, top, left + widthOf(window), top + heightOf(window)};
}

}  // namespace

RECT keptOnWorkArea(RECT window, const RECT& work) {
    // Right and bottom first, so a window larger than the work area ends at its left top.
    LONG left = std::min(window.left, work.right - widthOf(window));
    LONG top = std::min(window.top, work.bottom - heightOf(window));
    left = std::max(left, work.left);
    top = std::max(top, work.top);
    return at(window, left, top);
}

RECT centredOver(const RECT& window, const RECT& over, const RECT& work) {
    const LONG left = over.left + (widthOf(over) - widthOf(window)) / 2;
    const LONG top = over.top + (heightOf(over) - heightOf(window)) / 2;
    return keptOnWorkArea(at(window, left, top), work);
}

RECT placedBeside(const RECT& window, const RECT& beside, const RECT& work) {
    if (beside.right + widthOf(window) <= work.right)
        return keptOnWorkArea(at(window, beside.right, beside.top), work);
    if (beside.left - widthOf(window) >= work.left)
        return keptOnWorkArea(at(window, beside.left - widthOf(window), beside.top), work);
    return keptOnWorkArea(at(window, work.right - widthOf(window), beside.top), work);
}

RECT workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void moveWindowTo(HWND window, const RECT& place) {
    SetWindowPos(window, nullptr, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmora::win32
