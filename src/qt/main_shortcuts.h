// The main window's keyboard shortcuts in Qt: one window-wide QShortcut per entry of the
// core's shortcut table, each sending its key to the core as a KeyDown of the main window.
// What a key does (and whether its button can take it now) is the core's business.
#pragma once

#include <QKeySequence>

class QWidget;

namespace velmora::core::app {
class App;
}

namespace velmora::qt {

// The Qt key sequence of a virtual-key code (a letter or a function key) with the core's
// modifier mask; an empty sequence for other codes.
QKeySequence keySequence(int keyCode, int shift);

// Creates the shortcuts as children of `window`; they work while any of its widgets has the
// focus and none while a modal window is open.
void installMainShortcuts(QWidget& window, core::app::App& app);

}  // namespace velmora::qt
