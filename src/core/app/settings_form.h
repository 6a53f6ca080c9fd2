// The Settings window ("Dialog") as data: a fixed dialog with the language choice, the path of
// the channel database with its browse button, the radio colouring and the primary-key check.
// Its texts name both languages at once and never change with the language.
#pragma once

#include <memory>

#include "core/form/form.h"

namespace velmora::core::app {

inline constexpr char kSettingsFormName[] = "Dialog";
inline constexpr char kSettingsCaption[] = "Settings";

// The window's controls by name.
namespace settings_control {
inline constexpr char kLanguageFrame[] = "Frame1";
inline constexpr char kDeutsch[] = "Option1";
inline constexpr char kEnglish[] = "Option2";
inline constexpr char kPathFrame[] = "Frame2";
inline constexpr char kPath[] = "Text1";
inline constexpr char kBrowse[] = "Command1";
inline constexpr char kColorRadio[] = "Check1";
inline constexpr char kOk[] = "OKButton";
inline constexpr char kCancel[] = "CancelButton";
inline constexpr char kCheckPrimKey[] = "Command2";
}  // namespace settings_control

// The client area of the window in twips; the outer size adds the frame and caption bar.
inline constexpr int kSettingsClientWidth = 6036;
inline constexpr int kSettingsClientHeight = 3096;

// How far the window opens from the main window's top left corner, in twips.
inline constexpr int kSettingsOffsetLeft = 150;
inline constexpr int kSettingsOffsetTop = 100;

// Builds the window in its design state, placed relative to the main window's outer
// geometry `mainWindow`: no option chosen, the path empty, the check box clear.
std::unique_ptr<form::Form> createSettingsForm(form::TwipRect mainWindow);

}  // namespace velmora::core::app
