// The first-run language window ("Form_SetLanguage"): two choices, "Deutsch" and "English",
// neither selected at first, and "OK". OK without a choice asks for one and keeps the window
// open; with one it stores the setting Language and closes. Closing the window any other way
// stores nothing, so it comes again at the next start.
#pragma once

#include <memory>
#include <string>

#include "core/form/form.h"

namespace velmora::core::app {

class App;

inline constexpr char kLanguageFormName[] = "Form_SetLanguage";
inline constexpr char kLanguageCaption[] = "Sprache auswählen / Select Language";
inline constexpr char kSelectLanguageMessage[] =
    "Bitte Sprache auswählen / Please select a language";

// The window's controls: Frame1 holding Option1 "Deutsch" and Option2 "English", and
// Command1 "OK".
std::unique_ptr<form::Form> createLanguageForm();

// Shows the window modally and returns the chosen code ("deu" or "eng"), or "" when the
// window was closed without a choice.
std::string runLanguageWindow(App& app);

}  // namespace velmora::core::app
