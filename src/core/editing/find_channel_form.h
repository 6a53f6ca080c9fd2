// The find window ("Form_Find") as data: a small fixed dialog with the text to look for in
// the channel names, a line that says when nothing was found, and the buttons Next, Previous
// and Close. Like the program's other secondary windows its texts name both languages at
// once and never change with the language.
#pragma once

#include <memory>

#include "core/form/form.h"

namespace velmora::core::editing {

inline constexpr char kFindFormName[] = "Form_Find";
inline constexpr char kFindCaption[] = "Sender suchen / Find channel";
inline constexpr char kFindNotFound[] = "Nicht gefunden / Not found";

// The window's controls by name.
namespace find_control {
inline constexpr char kPrompt[] = "Label1";
inline constexpr char kText[] = "Text1";
inline constexpr char kStatus[] = "Label2";
inline constexpr char kNext[] = "Command1";
inline constexpr char kPrevious[] = "Command2";
inline constexpr char kClose[] = "Command3";
}  // namespace find_control

// Builds the window, placed near the main window's top left corner (outer geometry
// `mainWindow`), with the text box empty and nothing reported.
std::unique_ptr<form::Form> createFindForm(form::TwipRect mainWindow);

// Where the window (outer geometry `window`) goes so that it does not cover the screen band
// from `bandTop` to `bandBottom` (twips), the found row: where it is when it covers none of
// it, else just below the band when it stays within the main window's lower edge there,
// else just above it.
form::TwipRect findWindowClearOf(form::TwipRect window, int bandTop, int bandBottom,
                                 form::TwipRect mainWindow);

}  // namespace velmora::core::editing
