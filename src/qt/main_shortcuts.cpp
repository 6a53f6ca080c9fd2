#include "qt/main_shortcuts.h"

#include <QShortcut>
#include <QWidget>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_shortcuts.h"
#include "core/form/event.h"
#include "core/grid/virtual_keys.h"

namespace velmora::qt {

namespace vk = core::grid::vk;

QKeySequence keySequence(int keyCode, int shift) {
    int key = 0;
    if (keyCode >= vk::kLetterA && keyCode <= vk::kLetterA + 25) {
        key = Qt::Key_A + (keyCode - vk::kLetterA);
    } else if (keyCode >= vk::kF1 && keyCode <= vk::kF1 + 23) {
        key = Qt::Key_F1 + (keyCode - vk::kF1);
    } else {
        return {};
    }
    Qt::KeyboardModifiers modifiers;
    if (shift & core::form::kShiftMask) {
        modifiers |= Qt::ShiftModifier;
    }
    if (shift & core::form::kCtrlMask) {
        modifiers |= Qt::ControlModifier;
    }
    if (shift & core::form::kAltMask) {
        modifiers |= Qt::AltModifier;
    }
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

void installMainShortcuts(QWidget& window, core::app::App& app) {
    for (const core::app::MainShortcut& s : core::app::mainShortcuts()) {
        auto* shortcut = new QShortcut(keySequence(s.keyCode, s.shift), &window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window,
                         [&app, keyCode = s.keyCode, shift = s.shift] {
                             core::form::Event key;
                             key.form = core::app::kMainFormName;
                             key.kind = core::form::EventKind::KeyDown;
                             key.keyCode = keyCode;
                             key.shift = shift;
                             app.dispatcher().dispatch(key);
                         });
    }
}

}  // namespace velmora::qt
