// GridTableModel: the core's GridModel as a Qt item model, for GridView.
//
// The first fixed row becomes the horizontal header and the first fixed column the vertical
// header; every other cell is an item (row r of the grid is item row r - 1 when the grid has
// a fixed row, r otherwise). The adapter holds no data of its own: it translates the grid's
// notifications into Qt's begin/end and dataChanged signals and answers from the grid.
//
// While the grid's Redraw is off, structural changes are not passed on one by one: the
// adapter keeps reporting the shape it last announced and, when Redraw comes back on, resets
// once. Loading tens of thousands of rows then costs one reset instead of one insert each.
#pragma once

#include <QAbstractTableModel>

#include "core/grid/grid_model.h"

namespace velmora::qt {

class GridTableModel : public QAbstractTableModel, private core::grid::GridObserver {
    Q_OBJECT

public:
    // `grid` must outlive the adapter.
    explicit GridTableModel(core::grid::GridModel& grid, QObject* parent = nullptr);
    ~GridTableModel() override;

    core::grid::GridModel& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // 1 when the grid's first fixed row (column) is shown as the header, else 0.
    int rowOffset() const { return m_rowOffset; }
    int colOffset() const { return m_colOffset; }
    int gridRow(int itemRow) const { return itemRow + m_rowOffset; }
    int gridCol(int itemCol) const { return itemCol + m_colOffset; }
    // The item of a grid cell; invalid for a header cell or a cell outside the grid.
    QModelIndex indexForCell(int gridRow, int gridCol) const;

    static QColor toQColor(core::grid::Rgb color);
    // Qt alignment of a column alignment; General needs the text to decide.
    static Qt::Alignment toQtAlignment(core::grid::CellAlignment alignment, std::string_view text);

signals:
    void gridLayoutChanged();
    void gridCurrentCellChanged();
    void gridScrolled();
    void gridRedrawChanged(bool redraw);

private:
    void rowsAboutToBeInserted(int first, int count) override;
    void rowsInserted(int first, int count) override;
    void rowsAboutToBeRemoved(int first, int count) override;
    void rowsRemoved(int first, int count) override;
    void columnsAboutToBeInserted(int first, int count) override;
    void columnsInserted(int first, int count) override;
    void columnsAboutToBeRemoved(int first, int count) override;
    void columnsRemoved(int first, int count) override;
    void aboutToReset() override;
    void resetDone() override;
    void cellsChanged(const core::grid::CellRange& range) override;
    void layoutChanged() override;
    void currentCellChanged() override;
    void scrolled() override;
    void redrawChanged(bool redraw) override;

    // Takes offsets and counts from the grid.
    void takeShape();
    QVariant cellData(int row, int col, int role) const;

    core::grid::GridModel& m_grid;
    int m_rowOffset = 0;
    int m_colOffset = 0;
    int m_shownRows = 0;  // what the views were last told
    int m_shownCols = 0;
    bool m_deferred = false;  // Redraw is off: structural changes wait for the reset
    bool m_changedWhileDeferred = false;
};

}  // namespace velmora::qt
