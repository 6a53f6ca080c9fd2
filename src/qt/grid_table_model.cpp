// The grid model as a Qt item model: offsets between grid cells and items, and the
// translation of the grid's notifications into Qt's signals.
#include "qt/grid_table_model.h"

#include <QColor>

#include <algorithm>

#include "core/grid/generic_compare.h"
#include "engine/base/number_text.h"

namespace velmora::qt {

using core::grid::CellAlignment;
using core::grid::CellRange;

GridTableModel::GridTableModel(core::grid::GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    takeShape();
    m_deferred = !grid.redraw();
    m_grid.addObserver(this);
}

GridTableModel::~GridTableModel() {
    m_grid.removeObserver(this);
}

void GridTableModel::takeShape() {
    m_rowOffset = std::min(m_grid.fixedRows(), 1);
    m_colOffset = std::min(m_grid.fixedCols(), 1);
    m_shownRows = std::max(m_grid.rows() - m_rowOffset, 0);
    m_shownCols = std::max(m_grid.cols() - m_colOffset, 0);
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownRows;
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownCols;
}

QModelIndex GridTableModel::indexForCell(int gridRow, int gridCol) const {
    const int row = gridRow - m_rowOffset;
    const int col = gridCol - m_colOffset;
    if (row < 0 || col < 0 || row >= m_shownRows || col >= m_shownCols)
        return {};
    return index(row, col);
}

QColor GridTableModel::toQColor(core::grid::Rgb color) {
    return QColor(color.red, color.green, color.blue);
}

Qt::Alignment GridTableModel::toQtAlignment(CellAlignment alignment, std::string_view text) {
    const int value = static_cast<int>(alignment);
    if (alignment == CellAlignment::General)
        return (engine::readNumber(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    // The values run left/centre/right in threes, each as top/centre/bottom.
    const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[value / 3] | vertical[value % 3];
}

QVariant GridTableModel::cellData(int row, int col, int role) const {
    // While Redraw is off the grid may have fewer cells than announced; those read empty.
    switch (role) {
        case Qt::DisplayRole: {
            const std::string_view text = m_grid.textMatrix(row, col);
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case Qt::BackgroundRole:
            return toQColor(m_grid.effectiveBackColor(row, col));
        case Qt::ForegroundRole:
            return toQColor(m_grid.foreColor());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                toQtAlignment(m_grid.colAlignment(col), m_grid.textMatrix(row, col)));
        default:
            return {};
    }
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shownRows || index.column() >= m_shownCols)
        return {};
    return cellData(gridRow(index.row()), gridCol(index.column()), role);
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section < 0)
        return {};
    if (orientation == Qt::Horizontal) {
        if (m_rowOffset == 0 || section >= m_shownCols)
            return {};
        return cellData(0, gridCol(section), role);
    }
    if (m_colOffset == 0 || section >= m_shownRows)
        return {};
    return cellData(gridRow(section), 0, role);
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    // Cells are edited through the program's own editors laid over the grid, never in place.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- Notifications -------------------------------------------------------------------------

void GridTableModel::rowsAboutToBeInserted(int first, int count) {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    const int row = first - m_rowOffset;
    beginInsertRows(QModelIndex(), row, row + count - 1);
}

void GridTableModel::rowsInserted(int /*first*/, int count) {
    if (m_deferred)
        return;
    m_shownRows += count;
    endInsertRows();
}

void GridTableModel::rowsAboutToBeRemoved(int first, int count) {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    const int row = first - m_rowOffset;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
}

void GridTableModel::rowsRemoved(int /*first*/, int count) {
    if (m_deferred)
        return;
    m_shownRows -= count;
    endRemoveRows();
}

void GridTableModel::columnsAboutToBeInserted(int first, int count) {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    const int col = first - m_colOffset;
    beginInsertColumns(QModelIndex(), col, col + count - 1);
}

void GridTableModel::columnsInserted(int /*first*/, int count) {
    if (m_deferred)
        return;
    m_shownCols += count;
    endInsertColumns();
}

void GridTableModel::columnsAboutToBeRemoved(int first, int count) {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    const int col = first - m_colOffset;
    beginRemoveColumns(QModelIndex(), col, col + count - 1);
}

void GridTableModel::columnsRemoved(int /*first*/, int count) {
    if (m_deferred)
        return;
    m_shownCols -= count;
    endRemoveColumns();
}

void GridTableModel::aboutToReset() {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    beginResetModel();
}

void GridTableModel::resetDone() {
    if (m_deferred)
        return;
    takeShape();
    endResetModel();
}

void GridTableModel::cellsChanged(const CellRange& range) {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    // The part in the first fixed row is header data, the part in the first fixed column
    // the vertical header's, the rest items.
    if (m_rowOffset == 1 && range.top == 0) {
        const int first = std::max(range.left - m_colOffset, 0);
        const int last = std::min(range.right - m_colOffset, m_shownCols - 1);
        if (first <= last)
            emit headerDataChanged(Qt::Horizontal, first, last);
    }
    if (m_colOffset == 1 && range.left == 0) {
        const int first = std::max(range.top - m_rowOffset, 0);
        const int last = std::min(range.bottom - m_rowOffset, m_shownRows - 1);
        if (first <= last)
            emit headerDataChanged(Qt::Vertical, first, last);
    }
    const int top = std::max(range.top - m_rowOffset, 0);
    const int left = std::max(range.left - m_colOffset, 0);
    const int bottom = std::min(range.bottom - m_rowOffset, m_shownRows - 1);
    const int right = std::min(range.right - m_colOffset, m_shownCols - 1);
    if (top <= bottom && left <= right)
        emit dataChanged(index(top, left), index(bottom, right));
}

void GridTableModel::layoutChanged() {
    if (m_deferred) {
        m_changedWhileDeferred = true;
        return;
    }
    // Colours and alignment of every cell may have changed with it.
    if (m_shownRows > 0 && m_shownCols > 0)
        emit dataChanged(index(0, 0), index(m_shownRows - 1, m_shownCols - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole, Qt::TextAlignmentRole});
    if (m_shownCols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_shownCols - 1);
    if (m_shownRows > 0)
        emit headerDataChanged(Qt::Vertical, 0, m_shownRows - 1);
    emit gridLayoutChanged();
}

void GridTableModel::currentCellChanged() {
    if (!m_deferred)
        emit gridCurrentCellChanged();
}

void GridTableModel::scrolled() {
    if (!m_deferred)
        emit gridScrolled();
}

void GridTableModel::redrawChanged(bool redraw) {
    if (!redraw) {
        m_deferred = true;
        emit gridRedrawChanged(false);
        return;
    }
    m_deferred = false;
    if (m_changedWhileDeferred) {
        m_changedWhileDeferred = false;
        beginResetModel();
        takeShape();
        endResetModel();
        emit gridLayoutChanged();
    }
    // The view re-reads the current cell and the scroll position when Redraw comes back.
    emit gridRedrawChanged(true);
}

}  // namespace velmora::qt
