#include "core/app/user_input.h"

namespace velmora::core::app {

form::Event clickEvent(const form::Form& form, const std::string& control) {
    form::Event event;
    event.form = form.name();
    event.control = control;
    event.kind = form::EventKind::Click;
    event.button = form::kLeftButton;
    return event;
}

void applyClickValue(form::Form& form, const std::string& control) {
    const form::Control& c = form.control(control);
    if (c.kind == form::ControlKind::CheckBox) {
        form.setValue(control, c.value == 0 ? 1 : 0);
    } else if (c.kind == form::ControlKind::OptionButton) {
        const std::string container = c.container;
        for (const form::Control& other : form.controls()) {
            if (other.kind == form::ControlKind::OptionButton && other.container == container &&
                other.name != control && other.value != 0) {
                form.setValue(other.name, 0);
            }
        }
        if (c.value != 1) {
            form.setValue(control, 1);
        }
    }
}

void userClick(form::Form& form, form::Dispatcher& dispatcher, const std::string& control) {
    if (!form.control(control).enabled || !form.control(control).visible) {
        return;
    }
    applyClickValue(form, control);
    dispatcher.dispatch(clickEvent(form, control));
}

void setValueFromCode(form::Form& form, form::Dispatcher& dispatcher, const std::string& control,
                      int value) {
    if (form.control(control).value == value) {
        return;
    }
    form.setValue(control, value);
    dispatcher.dispatch(clickEvent(form, control));
}

}  // namespace velmora::core::app
