#include "win32/screen_units.h"

#include <cmath>

namespace velmora::win32 {

namespace {

// GetDpiForWindow exists from Windows 10 1607 on; older systems scale by the system DPI.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn dpiForWindowFunction() {
    static const GetDpiForWindowFn function = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 == nullptr ? nullptr
                                 : reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
                                       GetProcAddress(user32, "GetDpiForWindow")));
    }();
    return function;
}

// The design's font: a font choice naming it means "the system's dialog font".
constexpr char kDesignFontFamily[] = "MS Sans Serif";

}  // namespace

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int windowDpi(HWND window) {
    if (window != nullptr) {
        if (const GetDpiForWindowFn function = dpiForWindowFunction()) {
            const UINT dpi = function(window);
            if (dpi > 0)
                return static_cast<int>(dpi);
        }
    }
    return systemDpi();
}

std::wstring messageFontFace() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) &&
        metrics.lfMessageFont.lfFaceName[0] != L'\0')
        return metrics.lfMessageFont.lfFaceName;
    return L"MS Shell Dlg 2";
}

FontHandle createFont(const core::form::FontChoice& wanted, int dpi) {
    LOGFONTW font{};
    const double points = wanted.pointSize > 0 ? wanted.pointSize : 8.25;
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    std::wstring face;
    if (wanted.family.empty() || wanted.family == kDesignFontFamily) {
        face = messageFontFace();
    } else {
        face.assign(wanted.family.begin(), wanted.family.end());
    }
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&font));
}

HFONT GdiCache::font(const core::form::FontChoice& wanted, int dpi) {
    auto key = std::make_tuple(wanted.family, wanted.pointSize, wanted.bold, dpi);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end())
        it = m_fonts.emplace(std::move(key), createFont(wanted, dpi)).first;
    return it->second.get();
}

HBRUSH GdiCache::brush(core::form::Rgb color) {
    const COLORREF ref = toColorRef(color);
    auto it = m_brushes.find(ref);
    if (it == m_brushes.end())
        it = m_brushes.emplace(ref, BrushHandle(CreateSolidBrush(ref))).first;
    return it->second.get();
}

}  // namespace velmora::win32
