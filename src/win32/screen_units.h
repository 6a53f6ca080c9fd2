// Twips, pixels and fonts on the monitor a window is on. A window's controls are placed in
// twips; they become pixels at that monitor's DPI (pixels = twips * dpi / 1440), so a window
// moved to a monitor of another scale is laid out anew at that scale. Fonts are the system's
// message font (the face dialogs use) at the size the core gives a control, scaled the same way.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>

#include "core/form/control.h"

namespace velmora::win32 {

// The DPI a window is shown at: its monitor's with per-monitor awareness, else the system's.
int windowDpi(HWND window);
// The DPI of the primary monitor (for measuring before any window exists).
int systemDpi();

inline int toPixels(int twips, int dpi) {
    return core::form::twipsToPixels(twips, dpi);
}
inline int toTwips(int pixels, int dpi) {
    return core::form::pixelsToTwips(pixels, dpi);
}

// The face of the system's message font (lfMessageFont), the one its dialogs are drawn in.
std::wstring messageFontFace();

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const {
        if (object != nullptr)
            DeleteObject(object);
    }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using BrushHandle = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

// A font for a control's FontChoice at a DPI: the message font's face unless the choice names a
// face other than the design's default, at the chosen point size.
FontHandle createFont(const core::form::FontChoice& wanted, int dpi);

// Keeps the fonts and brushes a window's controls draw with, made once per kind.
class GdiCache {
public:
    HFONT font(const core::form::FontChoice& wanted, int dpi);
    HBRUSH brush(core::form::Rgb color);
    // Forgets the fonts (the DPI changed); brushes stay.
    void dropFonts() { m_fonts.clear(); }

private:
    std::map<std::tuple<std::string, double, bool, int>, FontHandle> m_fonts;
    std::map<COLORREF, BrushHandle> m_brushes;
};

inline COLORREF toColorRef(core::form::Rgb c) {
    return RGB(c.red, c.green, c.blue);
}

}  // namespace velmora::win32
