// What a user's click does to a control before its Click handler runs, as the window system
// does it: a check box toggles, an option button becomes the one chosen in its container.
// The front end and the tests go through these, so a handler always sees the new value.
#pragma once

#include <string>

#include "core/form/dispatcher.h"
#include "core/form/form.h"

namespace velmora::core::app {

// Applies the click's effect on the control's value (check box, option button; nothing for
// other kinds), then dispatches the Click event.
void userClick(form::Form& form, form::Dispatcher& dispatcher, const std::string& control);

// A value set from code: when it changes, the control's Click handler runs at once, as it
// does for a check box set from code on the window system.
void setValueFromCode(form::Form& form, form::Dispatcher& dispatcher, const std::string& control,
                      int value);

// Changes only the value, as the window system shows a click it has already taken.
void applyClickValue(form::Form& form, const std::string& control);

form::Event clickEvent(const form::Form& form, const std::string& control);

}  // namespace velmora::core::app
