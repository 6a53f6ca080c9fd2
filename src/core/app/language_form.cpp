#include "core/app/language_form.h"

#include "core/app/app.h"
#include "core/app/ui_text.h"

namespace velmora::core::app {

std::unique_ptr<form::Form> createLanguageForm() {
    auto f = std::make_unique<form::Form>(kLanguageFormName);
    auto add = [&](const char* name, form::ControlKind kind, const char* container,
                   form::TwipRect rect, const char* caption) {
        form::Control c;
        c.name = name;
        c.kind = kind;
        c.container = container;
        c.rect = rect;
        c.caption = caption;
        f->addControl(std::move(c));
    };
    add("Frame1", form::ControlKind::Frame, "", {120, 120, 3255, 735}, "");
    add("Option1", form::ControlKind::OptionButton, "Frame1", {240, 300, 1335, 255}, "Deutsch");
    add("Option2", form::ControlKind::OptionButton, "Frame1", {1800, 300, 1335, 255}, "English");
    add("Command1", form::ControlKind::Button, "", {1200, 1020, 1095, 375}, "OK");
    f->setCaption(kLanguageCaption);
    // Outer size of a small fixed dialog, in twips.
    f->setGeometry({3000, 2500, 3600, 1950});
    return f;
}

std::string runLanguageWindow(App& app) {
    std::unique_ptr<form::Form> window = createLanguageForm();
    form::Form* f = window.get();
    std::string chosen;
    // The handler points into this frame: it goes when the window does.
    const form::Dispatcher::Connection okClick = app.dispatcher().on(
        kLanguageFormName, "Command1", form::EventKind::Click,
        [&app, f, &chosen](const form::Event&) {
            const bool deutsch = f->control("Option1").value != 0;
            const bool english = f->control("Option2").value != 0;
            if (!deutsch && !english) {
                app.showMessage(kSelectLanguageMessage, ports::MessageButtons::Ok);
                return;
            }
            chosen = deutsch ? std::string(kLanguageGerman) : std::string(kLanguageEnglish);
            (void)app.settings().write(SettingKey::Language, chosen);
            f->setVisible(false);
        });
    f->setVisible(true);
    app.modalHost().showModal(*f);
    return chosen;
}

}  // namespace velmora::core::app
