// Test helpers for the grid model: a grid built from rows of text, and a recorder that logs
// observer notifications and handler events in one sequence so tests can check their order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/grid/grid_model.h"

namespace velmora::core::grid::testing {

// A grid with one fixed row and column whose row 0 holds `header` (column 0 blank) and whose
// data rows are appended from the given cells, the way the views fill it.
inline void fillGrid(GridModel& grid, const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::string> captions{""};
    captions.insert(captions.end(), header.begin(), header.end());
    (void)grid.setRows(1);
    (void)grid.setHeader(captions, CellAlignment::LeftCenter);
    for (const auto& cells : rows) {
        std::string line = "\t";
        for (const auto& cell : cells)
            line += cell + "\t";
        (void)grid.addItem(line);
    }
}

// The texts of column `col` of every data row.
inline std::vector<std::string> columnTexts(const GridModel& grid, int col) {
    std::vector<std::string> texts;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r)
        texts.emplace_back(grid.textMatrix(r, col));
    return texts;
}

class Recorder : public GridObserver, public GridEventListener {
public:
    explicit Recorder(GridModel& grid) : m_grid(grid) {
        grid.addObserver(this);
        grid.setEventListener(this);
    }
    ~Recorder() override {
        m_grid.removeObserver(this);
        m_grid.setEventListener(nullptr);
    }

    std::vector<std::string> log;

    void rowsAboutToBeInserted(int f, int n) override { add("aboutToInsertRows", f, n); }
    void rowsInserted(int f, int n) override { add("rowsInserted", f, n); }
    void rowsAboutToBeRemoved(int f, int n) override { add("aboutToRemoveRows", f, n); }
    void rowsRemoved(int f, int n) override { add("rowsRemoved", f, n); }
    void columnsAboutToBeInserted(int f, int n) override { add("aboutToInsertCols", f, n); }
    void columnsInserted(int f, int n) override { add("colsInserted", f, n); }
    void columnsAboutToBeRemoved(int f, int n) override { add("aboutToRemoveCols", f, n); }
    void columnsRemoved(int f, int n) override { add("colsRemoved", f, n); }
    void aboutToReset() override { log.push_back("aboutToReset"); }
    void resetDone() override { log.push_back("reset"); }
    void cellsChanged(const CellRange& r) override {
        log.push_back("cells " + std::to_string(r.top) + "," + std::to_string(r.left) + "-" +
                      std::to_string(r.bottom) + "," + std::to_string(r.right));
    }
    void layoutChanged() override { log.push_back("layout"); }
    void currentCellChanged() override {
        log.push_back("current " + std::to_string(m_grid.row()) + "," +
                      std::to_string(m_grid.col()) + " sel " + std::to_string(m_grid.rowSel()) +
                      "," + std::to_string(m_grid.colSel()));
    }
    void scrolled() override { log.push_back("scrolled " + std::to_string(m_grid.topRow())); }
    void redrawChanged(bool on) override { log.push_back(on ? "redraw on" : "redraw off"); }

    // Handler events note where the grid stands when they arrive.
    void gridLeaveCell() override {
        log.push_back("leaveCell at " + std::to_string(m_grid.row()) + "," +
                      std::to_string(m_grid.col()));
        if (onLeaveCell)
            onLeaveCell();
    }
    void gridScroll() override { log.push_back("scroll at " + std::to_string(m_grid.topRow())); }
    void gridMouseDown(int b, int s, int x, int y) override {
        log.push_back("mouseDown " + std::to_string(b) + " " + std::to_string(s) + " " +
                      std::to_string(x) + " " + std::to_string(y) + " at " +
                      std::to_string(m_grid.row()) + "," + std::to_string(m_grid.col()));
    }
    void gridDblClick() override { log.push_back("dblClick"); }
    void gridKeyUp(int key, int shift) override {
        log.push_back("keyUp " + std::to_string(key) + " " + std::to_string(shift));
    }
    void gridGotFocus() override { log.push_back("gotFocus"); }

    // Runs inside "leave cell", as the edit-finishing handler does.
    std::function<void()> onLeaveCell;

private:
    void add(const char* what, int first, int count) {
        log.push_back(std::string(what) + " " + std::to_string(first) + "+" +
                      std::to_string(count));
    }
    GridModel& m_grid;
};

}  // namespace velmora::core::grid::testing
