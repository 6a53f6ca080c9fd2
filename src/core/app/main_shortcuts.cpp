#include "core/app/main_shortcuts.h"

#include <string>

#include "core/app/app.h"
#include "core/app/command_registry.h"
#include "core/app/main_form.h"
#include "core/form/event.h"
#include "core/grid/virtual_keys.h"

namespace velmora::core::app {

namespace {

namespace vk = grid::vk;
constexpr int kCtrl = form::kCtrlMask;

// Function keys for the views (F5 reloads the channel list as browsers reload a page), Ctrl
// with a letter for the commands on the channel list. The commands that change the whole
// file at once (ReNumber, the clean-ups, compacting) keep to Tab and Space on purpose.
constexpr MainShortcut kMainShortcuts[] = {
    {'S', kCtrl, "Command7", "", "Ctrl+S"},   // Save Fav. Channels
    {vk::kF1 + 4, 0, "Command3", "", "F5"},   // Show/Edit Channels
    {vk::kF1 + 5, 0, "Command6", "", "F6"},   // Edit Favorite Groups
    {vk::kF1 + 6, 0, "Command12", "", "F7"},  // Change FavoriteNr
    {vk::kF1 + 7, 0, "Command15", "", "F8"},  // Show/Edit Duplicates
    {'G', kCtrl, "Command10", "", "Ctrl+G"},  // Put Select in group...
    {'D', kCtrl, "Command14", "", "Ctrl+D"},  // Drag + Drop
    // It changes the whole file, but only after its own window was answered with OK.
    {'T', kCtrl, "Command16", "", "Ctrl+T"},  // Take over from...
    {'Z', kCtrl, "", command::kUndo, "Ctrl+Z"},
    {'Y', kCtrl, "", command::kRedo, "Ctrl+Y"},
    {'F', kCtrl, "", command::kFindChannel, "Ctrl+F"},
    {vk::kF1 + 2, 0, "", command::kFindNext, "F3"},
    {vk::kF1 + 2, form::kShiftMask, "", command::kFindPrevious, "Shift+F3"},
};

// A control takes a click only while it and every frame around it are visible and enabled.
bool clickable(const form::Form& f, const std::string& name) {
    for (std::string at = name; !at.empty();) {
        const form::Control& c = f.control(at);
        if (!c.visible || !c.enabled) {
            return false;
        }
        at = c.container;
    }
    return true;
}

}  // namespace

std::span<const MainShortcut> mainShortcuts() {
    return kMainShortcuts;
}

const MainShortcut* findMainShortcut(int keyCode, int shift) {
    for (const MainShortcut& s : kMainShortcuts) {
        if (s.keyCode == keyCode && s.shift == shift) {
            return &s;
        }
    }
    return nullptr;
}

bool runMainShortcut(App& app, int keyCode, int shift) {
    const MainShortcut* shortcut = findMainShortcut(keyCode, shift);
    if (shortcut == nullptr) {
        return false;
    }
    if (!shortcut->command.empty()) {
        app.commands().runIfInstalled(shortcut->command);
        return true;
    }
    const std::string control(shortcut->control);
    if (!clickable(app.mainForm(), control)) {
        return true;
    }
    // As a click: the button takes the focus (an open editor finishes on losing it), then
    // its click runs.
    form::Dispatcher& d = app.dispatcher();
    d.setFocus(kMainFormName, control);
    d.runPending();
    // The finished edit is a step of its own, as with a click on the button: should the
    // command fail, the edit stays in the grid (or in the file, where it was written at once)
    // instead of going with the command. A write of the edit that could not be committed
    // has been reported; the command does not run.
    if (!app.commitPending()) {
        return true;
    }
    form::Event click;
    click.form = kMainFormName;
    click.control = control;
    click.kind = form::EventKind::Click;
    d.dispatch(click);
    return true;
}

void installMainShortcuts(App& app) {
    app.dispatcher()
        .on(kMainFormName, "", form::EventKind::KeyDown,
            [&app](const form::Event& e) { runMainShortcut(app, e.keyCode, e.shift); })
        .keep();
}

}  // namespace velmora::core::app
