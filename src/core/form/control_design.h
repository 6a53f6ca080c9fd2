// A window's controls as designed: the dialogs keep a table of these and build their form
// from it.
#pragma once

#include <span>

#include "core/form/form.h"

namespace velmora::core::form {

// What a fixed dialog's frame and caption bar add to its client area, in twips.
inline constexpr int kDialogFrameWidth = 120;
inline constexpr int kDialogFrameHeight = 390;

struct ControlDesign {
    const char* name;
    ControlKind kind;
    const char* container;  // "" for the window itself
    TwipRect rect;
    const char* caption;
};

// Adds the designed controls in table order, so containers must come before their contents
// (the front end builds the widgets in that order).
void addDesignedControls(Form& form, std::span<const ControlDesign> designs);

}  // namespace velmora::core::form
