#include "core/editing/find_channel_form.h"

#include "core/form/control_design.h"

namespace velmora::core::editing {

namespace {

using form::ControlKind;
namespace fc = find_control;

constexpr int kClientWidth = 4860;
constexpr int kClientHeight = 1440;
// Where the window opens from the main window's top left corner: over the grid's top.
constexpr int kOffsetLeft = 2400;
constexpr int kOffsetTop = 600;
// Room kept between the window and the row it keeps clear of.
constexpr int kRowMargin = 60;

const form::ControlDesign kControls[] = {
    {fc::kPrompt, ControlKind::Label, "", {120, 120, 3000, 255}, "Name enthält / Name contains"},
    {fc::kText, ControlKind::TextBox, "", {120, 420, 3000, 315}, ""},
    {fc::kStatus, ControlKind::Label, "", {120, 840, 3000, 255}, ""},
    {fc::kNext, ControlKind::Button, "", {3240, 120, 1500, 330}, "Weiter / Next"},
    {fc::kPrevious, ControlKind::Button, "", {3240, 540, 1500, 330}, "Zurück / Previous"},
    {fc::kClose, ControlKind::Button, "", {3240, 960, 1500, 330}, "Schließen / Close"},
};

}  // namespace

std::unique_ptr<form::Form> createFindForm(form::TwipRect mainWindow) {
    auto f = std::make_unique<form::Form>(kFindFormName);
    form::addDesignedControls(*f, kControls);
    f->setCaption(kFindCaption);
    f->setGeometry({mainWindow.left + kOffsetLeft, mainWindow.top + kOffsetTop,
                    kClientWidth + form::kDialogFrameWidth,
                    kClientHeight + form::kDialogFrameHeight});
    return f;
}

form::TwipRect findWindowClearOf(form::TwipRect window, int bandTop, int bandBottom,
                                 form::TwipRect mainWindow) {
    const int top = bandTop - kRowMargin;
    const int bottom = bandBottom + kRowMargin;
    if (window.top + window.height <= top || window.top >= bottom)
        return window;
    if (bottom + window.height <= mainWindow.top + mainWindow.height)
        window.top = bottom;
    else
        window.top = top - window.height;
    return window;
}

}  // namespace velmora::core::editing
