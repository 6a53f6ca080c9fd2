// Where the program's secondary windows appear: a message box over the window it belongs
// to, the drag and drop window beside the main window, each moved as far as needed to lie
// wholly on the work area of its monitor (no part under the task bar or off the screen).
#pragma once

#include <windows.h>

namespace velmora::win32 {

// `window` at its size, the left top corner moved so that it lies on the work area `work`;
// a window larger than the work area keeps its left top corner on it.
RECT keptOnWorkArea(RECT window, const RECT& work);

// `window` (screen pixels) centred over `over`, kept on `work`.
RECT centredOver(const RECT& window, const RECT& over, const RECT& work);

// `window` to the right of `beside`, top edges level, kept on `work`; where the work area
// leaves no room on the right, to the left of it; where neither side has room, at the
// work area's right edge.
RECT placedBeside(const RECT& window, const RECT& beside, const RECT& work);

// The work area of the monitor `window` is on (the nearest one).
RECT workAreaOf(HWND window);

// Moves `window` by its outer rectangle, its size and Z order unchanged.
void moveWindowTo(HWND window, const RECT& place);

}  // namespace velmora::win32
