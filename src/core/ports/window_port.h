// Relations between top-level windows, which the core names as it names its windows
// ("Form1" is the main window, "Form_DropFav" the drag and drop window).
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
};

}  // namespace velmora::core::ports
