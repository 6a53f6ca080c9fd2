// An event of a window or one of its controls, as the core's handlers receive it.
#pragma once

#include <string>

#include "core/form/ui_types.h"

namespace velmora::core::form {

enum class EventKind {
    Click,
    DblClick,
    MouseDown,
    MouseUp,
    KeyDown,
    KeyUp,
    KeyPress,
    GotFocus,
    LostFocus,
    LeaveCell,  // grid: the current cell is about to change
    Scroll,     // grid: the visible rows changed
    Resize,     // window: new outer size in width/height
    Paint,      // window: it is being painted
    Unload,     // window: asked to close (Form1's handler answers through App::setCloseAccepted)
    Load,       // window: created
    DragEnter,  // a dragged object entered the control; the event names its source
    DragLeave,  // it left the control again
    DragDrop,   // it was dropped on the control
    ColumnResized,  // grid: the user dragged the border of column x to `width` twips
};

struct Event {
    std::string form;     // "Form1", "Dialog", ...
    std::string control;  // empty for the window itself
    EventKind kind = EventKind::Click;
    int button = 0;  // mouse events
    int shift = 0;   // modifier mask
    int x = 0;       // mouse position in twips, inside the control
    int y = 0;
    int keyCode = 0;  // key events: the virtual-key code (13 Enter, 27 Escape, 46 Delete ...)
    int width = 0;    // Resize: the new outer size in twips; ColumnResized: the new width
    int height = 0;
    // Drag events: the window and control the drag started from.
    std::string sourceForm;
    std::string sourceControl;
};

}  // namespace velmora::core::form
