#include "core/views/grid_mouse.h"

#include "core/app/app.h"
#include "core/views/grid_edit.h"
#include "core/views/view_registry.h"

namespace velmora::core::views {

void sortGrid(app::App& app) {
    app.grid().sortGenericAscending();
}

void gridMouseDown(app::App& app, int button, int /*shift*/, int xTwips, int yTwips) {
    const grid::GridModel& g = app.grid();
    const ViewDescription& view = currentView(app);
    const bool inHeaderRow = yTwips < g.cellHeight();
    const bool inMarkerCol = xTwips < g.colWidth(0);
    if (button == form::kRightButton) {
        if (inHeaderRow) {
            sortGrid(app);
            return;
        }
        if (inMarkerCol) {
            if (view.popupOnRightPress)
                ListEdit2(app);
            return;
        }
        if (g.row() >= g.fixedRows() && g.col() >= g.fixedCols())
            openEditor(app, view.rightPressEditor(g.textMatrix(0, g.col())));
        const bool wholeRows = g.col() == 1 && g.colSel() == g.cols() - 1;
        if (wholeRows && view.popupOnRightPress)
            ListEdit2(app);
    } else if (button == form::kLeftButton) {
        if (inHeaderRow)
            sortGrid(app);
        if (app.state().DragDropOpen)
            app.commands().runIfInstalled(app::command::kStartGridDrag);
    }
}

}  // namespace velmora::core::views
