// The two audiences of a GridModel.
//
// GridObserver is for views that draw the grid: every change of content, shape, layout,
// current cell or scroll position is announced, structural changes in "about to" / "done"
// pairs so that a view can keep its own bookkeeping consistent (a Qt item model needs the
// begin/end calls around the change).
//
// GridEventListener is for the program's handlers: the events of the grid control as the
// handlers expect them. Mouse, key, double-click and focus events come from the front end
// through the model's raise...() calls; "leave cell" and "scroll" the model raises itself,
// before the current cell changes and before the visible area moves, so a handler can
// finish an edit in the cell it belongs to.
#pragma once

#include "core/grid/grid_types.h"

namespace velmora::core::grid {

class GridObserver {
public:
    virtual ~GridObserver() = default;

    // Rows [first, first + count) are inserted or removed; indexes are grid rows.
    virtual void rowsAboutToBeInserted(int first, int count) = 0;
    virtual void rowsInserted(int first, int count) = 0;
    virtual void rowsAboutToBeRemoved(int first, int count) = 0;
    virtual void rowsRemoved(int first, int count) = 0;
    virtual void columnsAboutToBeInserted(int first, int count) = 0;
    virtual void columnsInserted(int first, int count) = 0;
    virtual void columnsAboutToBeRemoved(int first, int count) = 0;
    virtual void columnsRemoved(int first, int count) = 0;

    // Everything may have changed (the number of fixed rows or columns, for example).
    virtual void aboutToReset() = 0;
    virtual void resetDone() = 0;

    // Text or colour of the cells in `range` changed (a sort reports every data row).
    virtual void cellsChanged(const CellRange& range) = 0;

    // Column widths, row heights, alignment, colours of the whole grid, fonts or the
    // resizing mode changed.
    virtual void layoutChanged() = 0;

    // Row, Col, RowSel or ColSel changed.
    virtual void currentCellChanged() = 0;

    // TopRow or LeftCol changed.
    virtual void scrolled() = 0;

    // Redraw was switched; while it is off a view need not repaint.
    virtual void redrawChanged(bool redraw) = 0;
};

// The grid control's events. Every member has an empty default so a handler set implements
// what it needs. `shift` is the modifier mask (form::kShiftMask, kCtrlMask, kAltMask); mouse
// positions are in twips from the grid's top left corner.
class GridEventListener {
public:
    virtual ~GridEventListener() = default;

    virtual void gridMouseDown(int /*button*/, int /*shift*/, int /*xTwips*/, int /*yTwips*/) {}
    virtual void gridMouseUp(int /*button*/, int /*shift*/, int /*xTwips*/, int /*yTwips*/) {}
    virtual void gridDblClick() {}
    virtual void gridKeyDown(int /*keyCode*/, int /*shift*/) {}
    virtual void gridKeyUp(int /*keyCode*/, int /*shift*/) {}
    virtual void gridGotFocus() {}
    virtual void gridLostFocus() {}
    // The current cell is about to change; Row and Col still name the cell being left.
    virtual void gridLeaveCell() {}
    // The grid is about to scroll; TopRow and LeftCol still hold the old position.
    virtual void gridScroll() {}
    // The user dragged a column border: column `col` is now `twips` wide.
    virtual void gridColumnResized(int /*col*/, int /*twips*/) {}
};

}  // namespace velmora::core::grid
