// Notes whether the main grid's content changed: rows or columns inserted or removed, cells
// rewritten, everything reset. Layout, the current cell and scrolling do not count. The
// program clears it when the file and the grid are in step again (after each commit), so
// after a failure it tells whether the grid may show what the file does not hold.
#pragma once

#include "core/grid/grid_model.h"

namespace velmora::core::app {

class GridChangeWatch final : public grid::GridObserver {
public:
    explicit GridChangeWatch(grid::GridModel& grid) : m_grid(grid) { m_grid.addObserver(this); }
    ~GridChangeWatch() override { m_grid.removeObserver(this); }
    GridChangeWatch(const GridChangeWatch&) = delete;
    GridChangeWatch& operator=(const GridChangeWatch&) = delete;

    bool changed() const { return m_changed; }
    void clear() { m_changed = false; }

    void rowsAboutToBeInserted(int, int) override {}
    void rowsInserted(int, int) override { m_changed = true; }
    void rowsAboutToBeRemoved(int, int) override {}
    void rowsRemoved(int, int) override { m_changed = true; }
    void columnsAboutToBeInserted(int, int) override {}
    void columnsInserted(int, int) override { m_changed = true; }
    void columnsAboutToBeRemoved(int, int) override {}
    void columnsRemoved(int, int) override { m_changed = true; }
    void aboutToReset() override {}
    void resetDone() override { m_changed = true; }
    void cellsChanged(const grid::CellRange&) override { m_changed = true; }
    void layoutChanged() override {}
    void currentCellChanged() override {}
    void scrolled() override {}
    void redrawChanged(bool) override {}

private:
    grid::GridModel& m_grid;
    bool m_changed = false;
};

}  // namespace velmora::core::app
