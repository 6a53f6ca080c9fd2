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
    auto cell = [this](int row, int col) -> Cell& {
        return m_rows[static_cast<size_t>(row)].cells[static_cast<size_t>(col)];
    };
    const Overloaded takeBack{
        [&](Journal::CellText& e) { cell(e.row, e.col).text = std::move(e.old); },
        [&](Journal::CellColor& e) { cell(e.row, e.col).color = e.old; },
        [&](Journal::RowData& e) { m_rows[static_cast<size_t>(e.row)].data = std::move(e.old); },
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
            for (Row& row : m_rows)
                row.cells.resize(static_cast<size_t>(m_cols));
        },
        [&](Journal::ColumnsDropped& e) {
            m_cols += static_cast<int>(e.columns.size());
            m_columns.insert(m_columns.end(), e.columns.begin(), e.columns.end());
            // The rows are the ones that lost the cells: every later change is taken back.
            for (size_t r = 0; r < m_rows.size(); ++r) {
                std::vector<Cell>& cells = m_rows[r].cells;
                if (r < e.cells.size())
                    cells.insert(cells.end(), std::make_move_iterator(e.cells[r].begin()),
                                 std::make_move_iterator(e.cells[r].end()));
                cells.resize(static_cast<size_t>(m_cols));
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
