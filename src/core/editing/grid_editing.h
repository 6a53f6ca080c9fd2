// In-place editing of the main grid and the rest of its mouse and keyboard handling, installed
// as one piece: the grid's double click, mouse press and key release, finishing on its got
// focus, leave cell and scroll events, the keys and clicks of Text1, List2 and List3 and their
// focus rule.
//
// The grid model reports its events to one listener. GridEditing is that listener for the
// main grid: it turns each event into a dispatcher event of "MSFlexGrid1", so grid events
// are handled one at a time like every other event, with the commit after a top-level one.
// "Leave cell" and "scroll" are dispatched at once, while the model still holds the old cell
// and position. The grid getting the focus from the user becomes the dispatcher's focus
// change; one the core made itself is already recorded and is not raised twice.
//
// The handlers consult the current view's description (App::views(), view_registry.h).
#pragma once

#include "core/grid/grid_listeners.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::editing {

class GridEditing final : public grid::GridEventListener {
public:
    explicit GridEditing(app::App& app);
    ~GridEditing() override;
    GridEditing(const GridEditing&) = delete;
    GridEditing& operator=(const GridEditing&) = delete;

    void gridMouseDown(int button, int shift, int xTwips, int yTwips) override;
    void gridMouseUp(int button, int shift, int xTwips, int yTwips) override;
    void gridDblClick() override;
    void gridKeyDown(int keyCode, int shift) override;
    void gridKeyUp(int keyCode, int shift) override;
    void gridGotFocus() override;
    void gridLeaveCell() override;
    void gridScroll() override;
    void gridColumnResized(int col, int twips) override;

private:
    app::App& m_app;
    grid::GridModel& m_grid;
};

// Installs the handlers and the row commands every view may name (grid_keys.h) and makes a
// GridEditing the main grid's event listener; it lives as long as the app's dispatcher. A
// second call changes nothing.
void installGridEditing(app::App& app);

}  // namespace velmora::core::editing
