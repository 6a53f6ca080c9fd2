// Dragging from one control to another inside the program. The core starts a drag while the
// press that began it is still held (WindowPort::startDrag); it becomes a drag once the mouse
// moves the system's drag distance with the left button held, so a plain click stays a click.
// From then on the source window holds the mouse capture, the control under the pointer is
// found with WindowFromPoint, and each label the drag passes gets DragEnter and DragLeave, the
// one it ends on DragDrop, all naming the source. Escape or a lost capture ends the drag on
// nothing. Each of these events is a top-level event of its own, as the user's next actions are.
#pragma once

#include <windows.h>

#include <string>

#include "core/form/dispatcher.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

class DragTracker {
public:
    DragTracker(core::form::Dispatcher& dispatcher, WindowDirectory& directory)
        : m_dispatcher(dispatcher), m_directory(directory) {}

    // Arms a drag from `control` of `form` for the press being handled now. A newer one
    // replaces it.
    void arm(const std::string& form, const std::string& control);
    bool active() const { return m_state != State::Idle; }

    // Looks at a message before it is dispatched; true when the drag took it.
    bool filter(const MSG& message);

private:
    enum class State { Idle, Armed, Dragging };

    void moveTo(POINT screen);
    void end(bool drop);
    void send(const ControlTag& target, core::form::EventKind kind);
    HWND sourceWindow() const;

    core::form::Dispatcher& m_dispatcher;
    WindowDirectory& m_directory;
    State m_state = State::Idle;
    std::string m_sourceForm;
    std::string m_sourceControl;
    POINT m_origin{0, 0};
    HWND m_over = nullptr;  // the drop target the pointer is over, or nullptr
    ControlTag m_overTag;
};

}  // namespace velmora::win32
