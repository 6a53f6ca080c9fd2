#include "core/views/grid_mouse.h"

#include "core/app/app.h"
#include "core/views/channel_list.h"
#include "core/views/grid_edit.h"

namespace velmora::core::views {

void sortGrid(app::App& app) {
    app.grid().sortGenericAscending();
}

void gridMouseDown(app::App& app, int button, int /*shift*/, int xTwips, int yTwips) {
    const grid::GridModel& g = app.grid();
    const std::string& view = app.state().CurrentView;
    const bool inHeaderRow = yTwips < g.cellHeight();
    const bool inMarkerCol = xTwips < g.colWidth(0);
    if (button == grid::kMouseRight) {
        if (inHeaderRow) {
            sortGrid(app);
            return;
        }
        if (inMarkerCol) {
            if (view != app::kViewFavorites)
                ListEdit2(app);
            return;
        }
        if (g.col() == channel_col::kFavorite && view == app::kViewChannelList)
            ListEdit(app);
        const bool wholeRows = g.col() == 1 && g.colSel() == g.cols() - 1;
        if (wholeRows && view != app::kViewFavorites)
            ListEdit2(app);
    } else if (button == grid::kMouseLeft) {
        if (inHeaderRow)
            sortGrid(app);
        if (app.state().DragDropOpen)
            app.commands().runIfInstalled(kStartGridDrag);
    }
}

}  // namespace velmora::core::views
