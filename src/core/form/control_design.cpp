#include "core/form/control_design.h"

namespace velmora::core::form {

void addDesignedControls(Form& form, std::span<const ControlDesign> designs) {
    for (const ControlDesign& design : designs) {
        Control c;
        c.name = design.name;
        c.kind = design.kind;
        c.container = design.container;
        c.rect = design.rect;
        c.caption = design.caption;
        form.addControl(std::move(c));
    }
}

}  // namespace velmora::core::form
