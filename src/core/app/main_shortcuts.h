// Keyboard shortcuts of the main window: a key pressed anywhere in the main window runs the
// command of one of its buttons, or a named command, without the mouse. Captions stay as
// they are; the shortcuts are listed in the README's "Keys" section and in kMainShortcuts.
//
// A shortcut for a button acts as a click on it: the button takes the focus first, which
// finishes an edit open over the grid (as clicking the button would), then its click runs.
// A button that is hidden or disabled, itself or through its frame, takes no shortcut, as
// it would take no click. A named command runs only when some subsystem installed it.
//
// The front end sends the window's key presses as KeyDown events of the window itself
// (control ""), with the virtual-key code and the modifier mask.
#pragma once

#include <span>
#include <string_view>

namespace velmora::core::app {

class App;

struct MainShortcut {
    int keyCode;               // virtual-key code (grid/virtual_keys.h)
    int shift;                 // exact modifier mask: 1 Shift, 2 Ctrl, 4 Alt
    std::string_view control;  // the button it clicks, or empty
    std::string_view command;  // else the named command it runs
    std::string_view keyName;  // "Ctrl+S", as the README lists it
};

std::span<const MainShortcut> mainShortcuts();

// The shortcut for a key and its exact modifiers, or nullptr.
const MainShortcut* findMainShortcut(int keyCode, int shift);

// Runs the shortcut of the key, if any; returns whether one matched. A matched shortcut whose
// button cannot be clicked now still counts as matched (the key is used up).
bool runMainShortcut(App& app, int keyCode, int shift);

// Handles the main window's KeyDown through runMainShortcut.
void installMainShortcuts(App& app);

}  // namespace velmora::core::app
