// Values every window, control and grid shares: the colour triple, the mouse buttons and
// modifier mask as the handlers test them, and twips with their conversion to pixels.
#pragma once

#include <cmath>
#include <cstdint>

namespace velmora::core::form {

// A colour as an RGB triple, the way the program names its colours: RGB(214, 239, 247).
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Mouse buttons and the modifier mask, with the values the handlers compare against.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Twips per inch: windows and controls are placed in twips and shown at the screen's logical
// DPI / 1440.
inline constexpr int kTwipsPerInch = 1440;

// Both ways round to the nearest whole and halves away from zero, so a place left of or above
// its container (a drag beyond the grid's edge, a window partly off the screen) mirrors the
// one right of or below it: at 144 DPI, -5 twips (half a pixel) are -1 pixel as 5 are 1.
// Pixels may be fractional (a measured text); `dpi` is above 0.
inline int twipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}
inline int pixelsToTwips(double pixels, double dpi) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}

}  // namespace velmora::core::form
