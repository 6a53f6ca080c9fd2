#include "core/editing/grid_key_down.h"

#include "core/app/app.h"
#include "core/editing/grid_edit.h"
#include "core/editing/grid_keys.h"
#include "core/editing/grid_mouse.h"
#include "core/form/event.h"
#include "core/grid/grid_types.h"
#include "core/grid/virtual_keys.h"

namespace velmora::core::editing {

namespace {
constexpr int kF2 = grid::vk::kF1 + 1;
constexpr int kF10 = grid::vk::kF1 + 9;
}  // namespace

void gridKeyDown(app::App& app, int keyCode, int shift) {
    if (keyCode == grid::vk::kLetterC && (shift & form::kCtrlMask) != 0) {
        // On the press: which of Ctrl and C the user lets go first must not matter.
        copyCells(app.grid(), app.ports());
    } else if (keyCode == kF2 && shift == 0) {
        gridDoubleClick(app);
    } else if ((keyCode == grid::vk::kApps && shift == 0) ||
               (keyCode == kF10 && shift == form::kShiftMask)) {
        openRowPopupFromKeyboard(app);
    }
}

}  // namespace velmora::core::editing
