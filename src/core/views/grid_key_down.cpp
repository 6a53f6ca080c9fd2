#include "core/views/grid_key_down.h"

#include "core/app/app.h"
#include "core/form/event.h"
#include "core/grid/grid_types.h"
#include "core/grid/virtual_keys.h"
#include "core/views/grid_edit.h"
#include "core/views/grid_mouse.h"

namespace velmora::core::views {

namespace {
constexpr int kF2 = grid::vk::kF1 + 1;
constexpr int kF10 = grid::vk::kF1 + 9;
}  // namespace

void gridKeyDown(app::App& app, int keyCode, int shift) {
    if (keyCode == kF2 && shift == 0) {
        gridDoubleClick(app);
    } else if ((keyCode == grid::vk::kApps && shift == 0) ||
               (keyCode == kF10 && shift == form::kShiftMask)) {
        // A right press just inside the row-marker column, below the header row: the popup
        // opens by the same rule as for the mouse, and only where the view offers one.
        const grid::GridModel& g = app.grid();
        gridMouseDown(app, form::kRightButton, 0, 0, g.cellHeight());
    }
}

}  // namespace velmora::core::views
