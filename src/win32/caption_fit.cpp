#include "win32/caption_fit.h"

#include <algorithm>

#include "win32/wide_text.h"

namespace velmora::win32 {

namespace {

using core::form::ControlKind;

constexpr double kSmallestPoints = 6.0;
constexpr double kPointStep = 0.25;

// A screen DC with a font selected, released on leaving.
class MeasuringDc {
public:
    explicit MeasuringDc(HFONT font) : m_dc(GetDC(nullptr)), m_old(SelectObject(m_dc, font)) {}
    ~MeasuringDc() {
        SelectObject(m_dc, m_old);
        ReleaseDC(nullptr, m_dc);
    }
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;
    HDC dc() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

int scaled(int pixelsAt96, int dpi) {
    return MulDiv(pixelsAt96, dpi, 96);
}

// What the control draws beside its caption, in pixels; -1 for a control whose caption is
// not fitted.
int roomBesideCaption(const core::form::Control& c, HFONT font, int dpi) {
    switch (c.kind) {
        case ControlKind::Button:
            return scaled(6, dpi);  // the raised border and the focus frame inside it
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            // The box or circle (13 pixels), the gap to the caption and the focus frame.
            return scaled(19, dpi);
        case ControlKind::Frame: {
            // The caption starts an average character in, with a blank either side.
            MeasuringDc measuring(font);
            TEXTMETRICW metrics{};
            GetTextMetricsW(measuring.dc(), &metrics);
            return 2 * metrics.tmAveCharWidth + captionWidth(font, L"  ");
        }
        case ControlKind::Label: {
            MeasuringDc measuring(font);
            TEXTMETRICW metrics{};
            GetTextMetricsW(measuring.dc(), &metrics);
            // A label of several lines wraps its caption instead.
            return toPixels(c.rect.height, dpi) >= 2 * metrics.tmHeight ? -1 : 0;
        }
        case ControlKind::ListBox:
        case ControlKind::TextBox:
        case ControlKind::Grid:
            return -1;
    }
    return -1;
}

}  // namespace

int captionWidth(HFONT font, const std::wstring& caption) {
    MeasuringDc measuring(font);
    SIZE size{};
    GetTextExtentPoint32W(measuring.dc(), caption.c_str(), static_cast<int>(caption.size()), &size);
    return static_cast<int>(size.cx);
}

core::form::FontChoice captionFont(GdiCache& gdi, const core::form::Control& c, int dpi) {
    core::form::FontChoice choice = c.font;
    if (c.caption.empty() || c.rect.width <= 0)
        return choice;
    if (roomBesideCaption(c, gdi.font(choice, dpi), dpi) < 0)
        return choice;
    const int width = toPixels(c.rect.width, dpi);
    const std::wstring caption = widen(c.caption);
    // A frame's room grows with its font, so each size is measured whole.
    auto fits = [&](const core::form::FontChoice& candidate) {
        const HFONT font = gdi.font(candidate, dpi);
        return captionWidth(font, caption) + roomBesideCaption(c, font, dpi) <= width;
    };
    while (choice.pointSize - kPointStep >= kSmallestPoints && !fits(choice))
        choice.pointSize -= kPointStep;
    return choice;
}

}  // namespace velmora::win32
