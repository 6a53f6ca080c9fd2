// Relations between top-level windows, and dragging from one to another. Windows go by the
// names the core gives them ("Form1" is the main window, "Form_DropFav" the drag and drop
// window).
#pragma once

#include <string_view>

#include "engine/base/status.h"

namespace velmora::core::ports {

class WindowPort {
public:
    virtual ~WindowPort() = default;

    // Makes `window` an owned window of `owner`: it stays above its owner and is minimised
    // and closed with it. Fails with err::kItemNotFound when either window is unknown.
    virtual engine::Status setOwnerWindow(std::string_view window, std::string_view owner) = 0;

    // Starts dragging from `control` of `window` (the press that started it is still held).
    // While the drag lasts, the controls it passes get DragEnter and DragLeave events and the
    // one it ends on a DragDrop event, each naming this window and control as the source.
    virtual void startDrag(std::string_view window, std::string_view control) = 0;
};

}  // namespace velmora::core::ports
