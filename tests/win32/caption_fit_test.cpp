// Captions fitted to their controls, measured with the system's own font (Wine's under the
// test run).
#include "win32/caption_fit.h"

#include <gtest/gtest.h>

#include <iterator>

#include "win32/wide_text.h"

namespace velmora::win32 {
namespace {

using core::form::Control;
using core::form::ControlKind;

Control control(ControlKind kind, int widthTwips, const char* caption) {
    Control c;
    c.kind = kind;
    c.rect = {0, 0, widthTwips, 252};
    c.caption = caption;
    return c;
}

TEST(CaptionFitTest, ACaptionTooWideForItsControlGetsTheLargestSizeThatFits) {
    GdiCache gdi;
    constexpr int kDpi = 96;
    struct Case {
        Control control;
        int room;    // what the control draws beside its caption: exactly, or at least
        bool exact;  // a frame's room grows with its font
    };
    // The main window's widest German captions in their designed widths.
    const Case cases[] = {
        {control(ControlKind::Button, 1812, "Sender/Gruppe ändern"), 6, true},
        {control(ControlKind::Button, 1935, "Datenbank komprimieren"), 6, true},
        {control(ControlKind::CheckBox, 1455, "Verschlüsselt"), 19, true},
        {control(ControlKind::OptionButton, 972, "Ersetzen"), 19, true},
        {control(ControlKind::Frame, 1815, "Datenbank Bearbeiten"), 12, false},
        {control(ControlKind::Button, 600, "Ein Text, der nirgends hineinpasst"), 6, true},
    };
    for (const Case& c : cases) {
        const core::form::FontChoice chosen = captionFont(gdi, c.control, kDpi);
        const std::wstring caption = widen(c.control.caption);
        const int available = toPixels(c.control.rect.width, kDpi) - c.room;
        EXPECT_GE(chosen.pointSize, 6.0) << c.control.caption;
        EXPECT_LE(chosen.pointSize, c.control.font.pointSize) << c.control.caption;
        if (chosen.pointSize > 6.0) {
            EXPECT_LE(captionWidth(gdi.font(chosen, kDpi), caption), available)
                << c.control.caption << " at " << chosen.pointSize;
        }
        if (c.exact && chosen.pointSize < c.control.font.pointSize) {
            // A quarter point larger would not have fitted.
            core::form::FontChoice larger = chosen;
            larger.pointSize += 0.25;
            EXPECT_GT(captionWidth(gdi.font(larger, kDpi), caption), available)
                << c.control.caption;
        }
    }
    // The caption that fits nowhere ends at the smallest size.
    EXPECT_EQ(captionFont(gdi, std::end(cases)[-1].control, kDpi).pointSize, 6.0);
}

TEST(CaptionFitTest, CaptionsThatFitAndControlsWithoutOneKeepTheirFont) {
    GdiCache gdi;
    const Control kept[] = {
        control(ControlKind::Button, 1812, "OK"),
        control(ControlKind::CheckBox, 735, "TV"),
        control(ControlKind::TextBox, 300, "a text far longer than its box is wide"),
        control(ControlKind::ListBox, 300, "a list's items scroll"),
    };
    for (const Control& c : kept)
        EXPECT_EQ(captionFont(gdi, c, 96), c.font) << c.caption;
    // A label of several lines wraps instead of shrinking.
    Control tall = control(ControlKind::Label, 600, "a label of several lines wraps its text");
    tall.rect.height = 1200;
    EXPECT_EQ(captionFont(gdi, tall, 96), tall.font);
}

}  // namespace
}  // namespace velmora::win32
