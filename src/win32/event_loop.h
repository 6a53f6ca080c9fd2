// The program's one message loop, and every modal loop nested in it, go through here: each
// message is offered to the drag, the window keys and the keyboard shortcuts before it is
// dispatched, and afterwards the focus is compared with what the core last knew.
//
// Focus in both directions: when the core moves the focus (the dispatcher's focus record),
// the window of that control gets the keyboard focus; when the user moves it (a click, Tab),
// the core is told through Dispatcher::userFocus. Grids report their own focus through their
// model, so they are left out here.
//
// Keys: Tab and Shift+Tab move to the next control that takes the focus. In the main window
// a key of the core's shortcut table goes to the window's KeyDown handler. In the other
// windows Enter, Escape and the function keys that the focused control has no handler for go
// to the window's KeyDown handler when it has one; without one, Escape closes the window as
// its close box does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/form/dispatcher.h"
#include "win32/drag_tracker.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

class EventLoop {
public:
    EventLoop(core::form::Dispatcher& dispatcher, WindowDirectory& directory);
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    DragTracker& drag() { return m_drag; }

    // Runs until the program quits; returns its exit code.
    int run();
    // Runs until `done` is true or the program quits (the quit then stays pending for the
    // loops outside). True when `done` ended it.
    bool runUntil(const std::function<bool()>& done);
    // Handles every message pending now, and returns.
    void runPending();
    bool quitting() const { return m_quitting; }
    int exitCode() const { return m_exitCode; }

    // Keeps Windows' focus where the core says it is.
    void followCoreFocus(const std::string& form, const std::string& control);

private:
    // One message through the filters and to its window; false for WM_QUIT.
    bool handle(MSG& message);
    bool filterKeys(const MSG& message);
    void noteFocus();

    core::form::Dispatcher& m_dispatcher;
    WindowDirectory& m_directory;
    DragTracker m_drag;
    int m_focusObserver = 0;
    HWND m_lastFocus = nullptr;
    bool m_movingFocus = false;
    bool m_quitting = false;
    int m_exitCode = 0;
};

}  // namespace velmora::win32
