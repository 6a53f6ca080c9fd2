#include "core/editing/grid_mouse.h"

#include <algorithm>

#include "core/app/app.h"
#include "core/editing/grid_edit.h"
#include "core/views/view_entry.h"

namespace velmora::core::editing {

void sortGrid(grid::GridModel& grid) {
    grid.sortGenericAscending();
}

namespace {

// A right press on the row markers of a row outside the selected rows makes that row the
// selected one first, as a left press there would: the popup's commands act on the row the
// user pressed, never on one he may not even see.
void selectPressedRow(grid::GridModel& g) {
    const int pressed = g.mouseRow();
    if (pressed < g.fixedRows())
        return;
    const int first = std::min(g.row(), g.rowSel());
    const int last = std::max(g.row(), g.rowSel());
    if (pressed < first || pressed > last)
        g.userSelectCell(pressed, 0, false);
}

}  // namespace

void gridMouseDown(app::App& app, int button, int /*shift*/, int xTwips, int yTwips) {
    const grid::GridModel& g = app.grid();
    const app::ViewDescription& view = views::currentView(app);
    const bool inHeaderRow = yTwips < g.cellHeight();
    const bool inMarkerCol = xTwips < g.colWidth(0);
    if (button == form::kRightButton) {
        if (inHeaderRow) {
            sortGrid(app.grid());
            return;
        }
        if (inMarkerCol) {
            if (view.popupOnRightPress) {
                selectPressedRow(app.grid());
                ListEdit2At(app, xTwips, yTwips);
            }
            return;
        }
        if (g.row() >= g.fixedRows() && g.col() >= g.fixedCols())
            openEditor(app, view.rightPressEditor(g.textMatrix(0, g.col())));
        const bool wholeRows = g.col() == 1 && g.colSel() == g.cols() - 1;
        if (wholeRows && view.popupOnRightPress)
            ListEdit2At(app, xTwips, yTwips);
    } else if (button == form::kLeftButton) {
        if (inHeaderRow)
            sortGrid(app.grid());
        if (app.state().DragDropOpen)
            app.commands().runIfInstalled(app::command::kStartGridDrag);
    }
}

void openRowPopupFromKeyboard(app::App& app) {
    if (views::currentView(app).popupOnRightPress)
        ListEdit2(app);
}

}  // namespace velmora::core::editing
