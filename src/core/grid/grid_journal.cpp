// Recording a grid's changes and taking them back (grid_model.h, "Taking changes back").
#include <algorithm>
#include <iterator>

#include "core/grid/grid_journal.h"

namespace velmora::core::grid {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

}  // namespace

GridModel::Journal::ColumnsDropped GridModel::Journal::dropping(const GridModel& grid, int cols) {
    ColumnsDropped dropped;
    dropped.columns.assign(grid.m_columns.begin() + cols, grid.m_columns.end());
    dropped.rows.reserve(grid.m_rows.size());
    std::vector<std::string_view> texts;
    for (const Row& row : grid.m_rows) {
        texts.clear();
        for (int c = cols; c < grid.m_cols; ++c)
            texts.push_back(row.texts.at(slotOf(c)));
        DroppedCells cells{RowTexts(texts), {}};
        if (row.colors)
            std::copy_if(row.colors->begin(), row.colors->end(), std::back_inserter(cells.colors),
                         [cols](const ColoredCell& cell) { return cell.col >= cols; });
        dropped.rows.push_back(std::move(cells));
    }
    return dropped;
}

void GridModel::startRecording() {
    m_journal = std::make_unique<Journal>();
    Journal::Position& start = m_journal->start;
    start.row = m_row;
    start.col = m_col;
    start.rowSel = m_rowSel;
    start.colSel = m_colSel;
    start.rowFixedByCode = m_rowFixedByCode;
    start.colFixedByCode = m_colFixedByCode;
    start.topRow = m_topRow;
    start.leftCol = m_leftCol;
}

void GridModel::stopRecording() {
    m_journal.reset();
}

void GridModel::takeBackRecorded() {
    if (!m_journal)
        return;
    notify(&GridObserver::aboutToReset);
    // Taken out first, so that putting things back records nothing.
    const std::unique_ptr<Journal> journal = std::move(m_journal);
    const Overloaded takeBack{
        [&](Journal::CellText& e) { rowAt(e.row).texts.set(slotOf(e.col), e.old); },
        [&](Journal::CellColor& e) { putColor(rowAt(e.row), e.col, e.old); },
        [&](Journal::RowData& e) { rowAt(e.row).texts.set(kRowDataSlot, e.old); },
        [&](Journal::RowHeight& e) { m_rows[static_cast<size_t>(e.row)].height = e.old; },
        [&](Journal::RowsInserted& e) {
            m_rows.erase(m_rows.begin() + e.first, m_rows.begin() + e.first + e.count);
        },
        [&](Journal::RowsRemoved& e) {
            m_rows.insert(m_rows.begin() + e.first, std::make_move_iterator(e.rows.begin()),
                          std::make_move_iterator(e.rows.end()));
        },
        [&](Journal::ColumnsAdded& e) {
            m_cols = e.oldCount;
            m_columns.resize(static_cast<size_t>(m_cols));
            dropCellsFrom(m_cols);
        },
        [&](Journal::ColumnsDropped& e) {
            const int first = m_cols;
            m_cols += static_cast<int>(e.columns.size());
            m_columns.insert(m_columns.end(), e.columns.begin(), e.columns.end());
            // The rows are the ones that lost the cells: every later change is taken back.
            const size_t count = std::min(m_rows.size(), e.rows.size());
            for (size_t r = 0; r < count; ++r) {
                Row& row = m_rows[r];
                const Journal::DroppedCells& dropped = e.rows[r];
                for (size_t i = 0; i < dropped.texts.count(); ++i)
                    row.texts.set(slotOf(first + static_cast<int>(i)), dropped.texts.at(i));
                for (const ColoredCell& cell : dropped.colors)
                    putColor(row, cell.col, cell.color);
            }
        },
        [&](Journal::ColumnSetting& e) { m_columns[static_cast<size_t>(e.col)] = e.old; },
        [&](Journal::FixedArea& e) {
            m_fixedRows = e.rows;
            m_fixedCols = e.cols;
        },
        [&](Journal::Sorted& e) {
            std::vector<Row> before(e.order.size());
            for (size_t i = 0; i < e.order.size(); ++i)
                before[static_cast<size_t>(e.order[i])] =
                    std::move(m_rows[static_cast<size_t>(e.first) + i]);
            std::move(before.begin(), before.end(), m_rows.begin() + e.first);
        },
    };
    for (auto it = journal->entries.rbegin(); it != journal->entries.rend(); ++it)
        std::visit(takeBack, *it);

    const Journal::Position& p = journal->start;
    m_row = p.row;
    m_col = p.col;
    m_rowSel = p.rowSel;
    m_colSel = p.colSel;
    m_rowFixedByCode = p.rowFixedByCode;
    m_colFixedByCode = p.colFixedByCode;
    m_topRow = p.topRow;
    m_leftCol = p.leftCol;
    normalize(false);
    ++m_contentVersion;
    startRecording();
    notify(&GridObserver::resetDone);
}

}  // namespace velmora::core::grid
