#include "core/app/settings_form.h"

#include "core/form/control_design.h"

namespace velmora::core::app {

namespace {

using form::ControlKind;
namespace sc = settings_control;

// Containers come before their contents, as the front end builds the widgets in order.
const form::ControlDesign kControls[] = {
    {sc::kLanguageFrame, ControlKind::Frame, "", {120, 120, 3015, 855}, "Sprache   /   Language"},
    {sc::kDeutsch, ControlKind::OptionButton, sc::kLanguageFrame, {240, 360, 1215, 255}, "Deutsch"},
    {sc::kEnglish,
     ControlKind::OptionButton,
     sc::kLanguageFrame,
     {1680, 360, 1215, 255},
     "English"},
    {sc::kPathFrame,
     ControlKind::Frame,
     "",
     {120, 1200, 5775, 735},
     "Pfad zur WinSTB Datenbank   /   Path to WinSTB database"},
    {sc::kPath, ControlKind::TextBox, sc::kPathFrame, {120, 240, 5052, 375}, ""},
    // A small picture button; the picture is an ellipsis, the usual sign for "choose a file".
    {sc::kBrowse, ControlKind::Button, sc::kPathFrame, {5280, 240, 372, 372}, "..."},
    {sc::kColorRadio,
     ControlKind::CheckBox,
     "",
     {120, 2040, 5775, 375},
     "Radioprogramme farbig / Radiochannels colored"},
    {sc::kOk, ControlKind::Button, "", {3960, 120, 1935, 375}, "OK"},
    {sc::kCancel, ControlKind::Button, "", {3960, 600, 1935, 375}, "Abbrechen / Cancel"},
    {sc::kCheckPrimKey, ControlKind::Button, "", {4080, 2640, 1812, 372}, "Check Prim Key"},
};

}  // namespace

std::unique_ptr<form::Form> createSettingsForm(form::TwipRect mainWindow) {
    auto f = std::make_unique<form::Form>(kSettingsFormName);
    form::addDesignedControls(*f, kControls);
    f->setCaption(kSettingsCaption);
    f->setGeometry({mainWindow.left + kSettingsOffsetLeft, mainWindow.top + kSettingsOffsetTop,
                    kSettingsClientWidth + form::kDialogFrameWidth,
                    kSettingsClientHeight + form::kDialogFrameHeight});
    return f;
}

}  // namespace velmora::core::app
