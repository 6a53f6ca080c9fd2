// The grid model: cells, shape, current cell and selection, scrolling, sort and clip text.
#include "core/grid/grid_model.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <tuple>

#include "core/grid/generic_compare.h"
#include "core/grid/grid_journal.h"
#include "engine/base/number_text.h"

namespace velmora::core::grid {
namespace {

Status invalidIndex(const char* what, int value) {
    return Status::error(err::kInvalidIndex, std::string("Subscript out of range: ") + what + " " +
                                                 std::to_string(value));
}

Status invalidValue(const char* what, int value) {
    return Status::error(err::kInvalidPropertyValue, std::string("Invalid property value: ") +
                                                         what + " " + std::to_string(value));
}

// Sets a flag for the lifetime of the guard; a handler that throws out of an event still
// clears it.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
};

// Splits `text` at `separator`; an empty text is one empty piece.
std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// Whether a sort would leave every row where it is, found with one comparison a row: a
// list reloaded in the order of its sort column (the channel list by number) needs no merging.
// Only when every key column holds numbers alone or text alone is the generic comparison an
// ordering, under which rows in order stay put; with a mix the sort itself decides.
template <class Less>
bool inOrderAlready(const std::vector<std::optional<double>>& numbers, int keyCount, Less less) {
    const size_t count = numbers.size() / static_cast<size_t>(keyCount);
    for (int k = 0; k < keyCount; ++k) {
        size_t numeric = 0;
        for (size_t i = 0; i < count; ++i)
            numeric += numbers[i * static_cast<size_t>(keyCount) + k].has_value() ? 1 : 0;
        if (numeric != 0 && numeric != count)
            return false;
    }
    for (size_t i = 1; i < count; ++i) {
        if (less(static_cast<int>(i), static_cast<int>(i - 1)))
            return false;
    }
    return true;
}

}  // namespace

GridModel::GridModel() : m_cols(2) {
    m_columns.resize(2);
    m_rows.resize(2);
}

GridModel::~GridModel() = default;

template <class... Params, class... Args>
void GridModel::notify(void (GridObserver::*member)(Params...), Args&&... args) {
    // An observer may remove itself (or another) while being told; copy and re-check. A
    // command that sets every cell of a long list notifies once per cell, so the usual few
    // observers are copied to the stack.
    constexpr size_t kOnStack = 8;
    std::array<GridObserver*, kOnStack> onStack;
    std::vector<GridObserver*> onHeap;
    std::span<GridObserver* const> observers;
    if (m_observers.size() <= kOnStack) {
        std::copy(m_observers.begin(), m_observers.end(), onStack.begin());
        observers = std::span(onStack.data(), m_observers.size());
    } else {
        onHeap = m_observers;
        observers = onHeap;
    }
    for (GridObserver* observer : observers) {
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end())
            (observer->*member)(args...);
    }
}

void GridModel::addObserver(GridObserver* observer) {
    if (observer &&
        std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void GridModel::removeObserver(GridObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

void GridModel::dropCellsFrom(int cols) {
    for (Row& row : m_rows) {
        row.texts.truncate(slotOf(cols));
        if (row.colors) {
            std::erase_if(*row.colors,
                          [cols](const ColoredCell& cell) { return cell.col >= cols; });
            if (row.colors->empty())
                row.colors.reset();
        }
    }
}

std::optional<Rgb> GridModel::colorOf(const Row& row, int col) {
    if (!row.colors)
        return std::nullopt;
    for (const ColoredCell& cell : *row.colors) {
        if (cell.col == col)
            return cell.color;
    }
    return std::nullopt;
}

void GridModel::putColor(Row& row, int col, std::optional<Rgb> color) {
    if (!row.colors) {
        if (!color)
            return;
        row.colors = std::make_unique<std::vector<ColoredCell>>();
    }
    std::vector<ColoredCell>& colors = *row.colors;
    auto at = std::find_if(colors.begin(), colors.end(),
                           [col](const ColoredCell& cell) { return cell.col >= col; });
    const bool has = at != colors.end() && at->col == col;
    if (color && has) {
        at->color = *color;
    } else if (color) {
        colors.insert(at, ColoredCell{col, *color});
    } else if (has) {
        colors.erase(at);
    }
    if (colors.empty())
        row.colors.reset();
}

void GridModel::reserveRows(int rows) {
    if (rows > this->rows() && rows <= kMaxRows)
        m_rows.reserve(static_cast<size_t>(rows));
}

// ---- Shape ---------------------------------------------------------------------------------

Status GridModel::setRows(int rows) {
    if (rows < m_fixedRows || rows > kMaxRows)
        return invalidValue("Rows", rows);
    const int old = this->rows();
    if (rows == old)
        return Status::ok();
    if (rows > old) {
        notify(&GridObserver::rowsAboutToBeInserted, old, rows - old);
        if (m_journal)
            m_journal->rowsInserted(old, rows - old);
        m_rows.resize(static_cast<size_t>(rows));
        notify(&GridObserver::rowsInserted, old, rows - old);
    } else {
        notify(&GridObserver::rowsAboutToBeRemoved, rows, old - rows);
        if (m_journal) {
            for (int r = rows; r < old; ++r)
                m_journal->rowRemoved(rows, std::move(m_rows[static_cast<size_t>(r)]));
        }
        m_rows.resize(static_cast<size_t>(rows));
        notify(&GridObserver::rowsRemoved, rows, old - rows);
    }
    ++m_contentVersion;
    normalize();
    return Status::ok();
}

Status GridModel::setCols(int cols) {
    if (cols < m_fixedCols || cols > kMaxCols)
        return invalidValue("Cols", cols);
    const int old = m_cols;
    if (cols == old)
        return Status::ok();
    const bool growing = cols > old;
    const int first = growing ? old : cols;
    const int count = growing ? cols - old : old - cols;
    notify(
        growing ? &GridObserver::columnsAboutToBeInserted : &GridObserver::columnsAboutToBeRemoved,
        first, count);
    if (m_journal && growing) {
        m_journal->entries.emplace_back(Journal::ColumnsAdded{old});
    } else if (m_journal) {
        m_journal->entries.emplace_back(Journal::dropping(*this, cols));
    }
    ++m_contentVersion;
    m_cols = cols;
    m_columns.resize(static_cast<size_t>(cols));
    if (!growing)
        dropCellsFrom(cols);
    notify(growing ? &GridObserver::columnsInserted : &GridObserver::columnsRemoved, first, count);
    normalize();
    return Status::ok();
}

Status GridModel::setFixedRows(int fixedRows) {
    if (fixedRows < 0 || fixedRows > rows())
        return invalidValue("FixedRows", fixedRows);
    if (fixedRows == m_fixedRows)
        return Status::ok();
    notify(&GridObserver::aboutToReset);
    if (m_journal)
        m_journal->entries.emplace_back(Journal::FixedArea{m_fixedRows, m_fixedCols});
    ++m_contentVersion;
    m_fixedRows = fixedRows;
    normalize(false);
    notify(&GridObserver::resetDone);
    return Status::ok();
}

Status GridModel::setFixedCols(int fixedCols) {
    if (fixedCols < 0 || fixedCols > m_cols)
        return invalidValue("FixedCols", fixedCols);
    if (fixedCols == m_fixedCols)
        return Status::ok();
    notify(&GridObserver::aboutToReset);
    if (m_journal)
        m_journal->entries.emplace_back(Journal::FixedArea{m_fixedRows, m_fixedCols});
    ++m_contentVersion;
    m_fixedCols = fixedCols;
    normalize(false);
    notify(&GridObserver::resetDone);
    return Status::ok();
}

Status GridModel::setHeader(const std::vector<std::string>& captions, CellAlignment alignment) {
    if (rows() == 0)
        return invalidValue("Rows", 0);
    VELMORA_RETURN_IF_ERROR(setCols(static_cast<int>(captions.size())));
    RowTexts& header = m_rows[0].texts;
    for (int c = 0; c < m_cols; ++c) {
        Column& column = m_columns[static_cast<size_t>(c)];
        if (m_journal) {
            m_journal->entries.emplace_back(
                Journal::CellText{0, c, std::string(header.at(slotOf(c)))});
            m_journal->entries.emplace_back(Journal::ColumnSetting{c, column});
        }
        header.set(slotOf(c), captions[static_cast<size_t>(c)]);
        column.alignment = alignment;
    }
    ++m_contentVersion;
    if (m_cols > 0)
        notify(&GridObserver::cellsChanged, CellRange{0, 0, 0, m_cols - 1});
    notify(&GridObserver::layoutChanged);
    return Status::ok();
}

// ---- Cells ---------------------------------------------------------------------------------

std::string_view GridModel::textMatrix(int row, int col) const {
    if (!validCell(row, col))
        return {};
    return rowAt(row).texts.at(slotOf(col));
}

Status GridModel::setTextMatrix(int row, int col, std::string_view text) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    RowTexts& texts = rowAt(row).texts;
    const std::string_view old = texts.at(slotOf(col));
    if (old == text)
        return Status::ok();
    if (m_journal && m_journal->keeps(row))
        m_journal->entries.emplace_back(Journal::CellText{row, col, std::string(old)});
    ++m_contentVersion;
    texts.set(slotOf(col), text);
    notify(&GridObserver::cellsChanged, CellRange{row, col, row, col});
    return Status::ok();
}

std::optional<Rgb> GridModel::cellColorAt(int row, int col) const {
    if (!validCell(row, col))
        return std::nullopt;
    return colorOf(rowAt(row), col);
}

Rgb GridModel::effectiveBackColor(int row, int col) const {
    if (std::optional<Rgb> color = cellColorAt(row, col))
        return *color;
    return (row < m_fixedRows || col < m_fixedCols) ? m_backColorFixed : m_backColor;
}

Status GridModel::setCellBackColorAt(int row, int col, Rgb color) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    Row& cells = rowAt(row);
    const std::optional<Rgb> old = colorOf(cells, col);
    if (old == color)
        return Status::ok();
    if (m_journal && m_journal->keeps(row))
        m_journal->entries.emplace_back(Journal::CellColor{row, col, old});
    ++m_contentVersion;
    putColor(cells, col, color);
    notify(&GridObserver::cellsChanged, CellRange{row, col, row, col});
    return Status::ok();
}

// ---- Row data ------------------------------------------------------------------------------

std::string_view GridModel::rowData(int row) const {
    if (row < 0 || row >= rows())
        return {};
    return rowAt(row).texts.at(kRowDataSlot);
}

Status GridModel::setRowData(int row, std::string_view data) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    RowTexts& texts = rowAt(row).texts;
    const std::string_view kept = texts.at(kRowDataSlot);
    if (kept == data)
        return Status::ok();
    if (m_journal && m_journal->keeps(row))
        m_journal->entries.emplace_back(Journal::RowData{row, std::string(kept)});
    ++m_contentVersion;
    texts.set(kRowDataSlot, data);
    return Status::ok();
}

// ---- Rows ----------------------------------------------------------------------------------

Status GridModel::addItem(std::string_view item) {
    return addItem(item, rows());
}

Status GridModel::addItem(std::string_view item, int index) {
    if (index < m_fixedRows || index > rows())
        return invalidIndex("row", index);
    if (rows() >= kMaxRows)
        return invalidValue("Rows", rows() + 1);
    // Slot 0 (the row data) stays empty; pieces beyond the last column are dropped.
    std::vector<std::string_view> slots = split(item, '\t');
    slots.resize(std::min(slots.size(), static_cast<size_t>(m_cols)));
    slots.insert(slots.begin(), std::string_view());
    Row row;
    row.texts = RowTexts(slots);
    insertRow(index, std::move(row));
    return Status::ok();
}

Status GridModel::addRow(std::span<const std::string_view> cells, std::string_view data,
                         const std::optional<ColumnsColor>& colored) {
    if (rows() >= kMaxRows)
        return invalidValue("Rows", rows() + 1);
    // A row's slots are its data and then its cells: one block laid out once.
    constexpr size_t kOnStack = 32;
    std::array<std::string_view, kOnStack> onStack;
    std::vector<std::string_view> onHeap;
    const size_t count = 1 + std::min(cells.size(), static_cast<size_t>(m_cols));
    std::span<std::string_view> slots(onStack.data(), count);
    if (count > kOnStack) {
        onHeap.resize(count);
        slots = onHeap;
    }
    slots[kRowDataSlot] = data;
    std::copy_n(cells.begin(), count - 1, slots.begin() + 1);
    Row row;
    row.texts = RowTexts(slots);
    if (colored) {
        const int first = std::max(colored->first, 0);
        const int last = std::min(colored->last, m_cols - 1);
        if (first <= last) {
            row.colors = std::make_unique<std::vector<ColoredCell>>();
            row.colors->reserve(static_cast<size_t>(last - first + 1));
            for (int col = first; col <= last; ++col)
                row.colors->push_back(ColoredCell{col, colored->color});
        }
    }
    insertRow(rows(), std::move(row));
    return Status::ok();
}

void GridModel::insertRow(int index, Row row) {
    notify(&GridObserver::rowsAboutToBeInserted, index, 1);
    if (m_journal)
        m_journal->rowsInserted(index, 1);
    ++m_contentVersion;
    m_rows.insert(m_rows.begin() + index, std::move(row));
    notify(&GridObserver::rowsInserted, index, 1);
    normalize();
}

Status GridModel::removeItem(int row) {
    if (row < m_fixedRows || row >= rows())
        return invalidIndex("row", row);
    notify(&GridObserver::rowsAboutToBeRemoved, row, 1);
    if (m_journal)
        m_journal->rowRemoved(row, std::move(m_rows[static_cast<size_t>(row)]));
    ++m_contentVersion;
    m_rows.erase(m_rows.begin() + row);
    notify(&GridObserver::rowsRemoved, row, 1);
    normalize();
    return Status::ok();
}

// ---- Current cell and selection ------------------------------------------------------------

Status GridModel::setRow(int row) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    moveCurrent(row, m_col);
    return Status::ok();
}

Status GridModel::setCol(int col) {
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    moveCurrent(m_row, col);
    return Status::ok();
}

Status GridModel::setCurrentCell(int row, int col) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    moveCurrent(row, col);
    return Status::ok();
}

Status GridModel::setRowSel(int rowSel) {
    if (rowSel < 0 || rowSel >= rows())
        return invalidIndex("row", rowSel);
    moveSelectionCorner(rowSel, m_colSel);
    return Status::ok();
}

Status GridModel::setColSel(int colSel) {
    if (colSel < 0 || colSel >= m_cols)
        return invalidIndex("column", colSel);
    moveSelectionCorner(m_rowSel, colSel);
    return Status::ok();
}

void GridModel::setSelectionMode(SelectionMode mode) {
    m_selectionMode = mode;
}

void GridModel::moveCurrent(int row, int col) {
    if (row == m_row && col == m_col) {
        moveSelectionCorner(row, col);
        return;
    }
    if (m_listener && !m_inLeaveCell) {
        FlagGuard guard(m_inLeaveCell);
        m_listener->gridLeaveCell();
    }
    // The handler may have changed the grid's shape; never keep a cell that went away.
    m_row = std::clamp(row, 0, std::max(rows() - 1, 0));
    m_col = std::clamp(col, 0, std::max(m_cols - 1, 0));
    m_rowSel = m_row;
    m_colSel = m_col;
    m_rowFixedByCode = m_row < m_fixedRows;
    m_colFixedByCode = m_col < m_fixedCols;
    notify(&GridObserver::currentCellChanged);
}

void GridModel::moveSelectionCorner(int rowSel, int colSel) {
    if (rowSel == m_rowSel && colSel == m_colSel)
        return;
    m_rowSel = rowSel;
    m_colSel = colSel;
    notify(&GridObserver::currentCellChanged);
}

// ---- Scrolling -----------------------------------------------------------------------------

int GridModel::clampTopRow(int row) const {
    if (rows() <= m_fixedRows)
        return m_fixedRows;
    int last = rows() - 1;
    if (m_viewportHeight > 0) {
        // Counted as a scroll bar counts: the shown rows that fit whole from the end, at
        // least one; hidden rows take no room.
        int fitting = 0;
        int height = 0;
        for (int r = rows() - 1; r >= m_fixedRows; --r) {
            const int h = rowHeight(r);
            if (h == 0)
                continue;
            height += h;
            if (height > m_viewportHeight)
                break;
            ++fitting;
        }
        last = std::max(rows() - std::max(fitting, 1), m_fixedRows);
    }
    return std::clamp(row, m_fixedRows, last);
}

void GridModel::setViewportHeight(int twips) {
    twips = std::max(twips, 0);
    if (twips == m_viewportHeight)
        return;
    m_viewportHeight = twips;
    scrollTo(m_topRow, m_leftCol);
}

int GridModel::clampLeftCol(int col) const {
    return m_cols > m_fixedCols ? std::clamp(col, m_fixedCols, m_cols - 1) : m_fixedCols;
}

Status GridModel::setTopRow(int row) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    scrollTo(row, m_leftCol);
    return Status::ok();
}

Status GridModel::setLeftCol(int col) {
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    scrollTo(m_topRow, col);
    return Status::ok();
}

void GridModel::scrollTo(int topRow, int leftCol) {
    topRow = clampTopRow(topRow);
    leftCol = clampLeftCol(leftCol);
    if (topRow == m_topRow && leftCol == m_leftCol)
        return;
    if (m_listener && !m_inScroll) {
        FlagGuard guard(m_inScroll);
        m_listener->gridScroll();
    }
    m_topRow = clampTopRow(topRow);
    m_leftCol = clampLeftCol(leftCol);
    notify(&GridObserver::scrolled);
}

void GridModel::normalize(bool tell) {
    const int oldRow = m_row, oldCol = m_col, oldRowSel = m_rowSel, oldColSel = m_colSel;
    const int oldTop = m_topRow, oldLeft = m_leftCol;

    // Clamps an index into [0, count); while scrollable items exist it stays out of the
    // fixed area unless code put it there.
    auto clampIndex = [](int value, int count, int fixed, bool& byCode) {
        if (count <= 0)
            return 0;
        value = std::clamp(value, 0, count - 1);
        if (value < fixed && count > fixed && !byCode)
            value = fixed;
        if (value >= fixed)
            byCode = false;
        return value;
    };
    m_row = clampIndex(m_row, rows(), m_fixedRows, m_rowFixedByCode);
    m_col = clampIndex(m_col, m_cols, m_fixedCols, m_colFixedByCode);
    m_rowSel = (m_row != oldRow) ? m_row : std::clamp(m_rowSel, 0, std::max(rows() - 1, 0));
    m_colSel = (m_col != oldCol) ? m_col : std::clamp(m_colSel, 0, std::max(m_cols - 1, 0));
    m_topRow = clampTopRow(m_topRow);
    m_leftCol = clampLeftCol(m_leftCol);

    if (!tell)
        return;
    if (m_row != oldRow || m_col != oldCol || m_rowSel != oldRowSel || m_colSel != oldColSel)
        notify(&GridObserver::currentCellChanged);
    if (m_topRow != oldTop || m_leftCol != oldLeft)
        notify(&GridObserver::scrolled);
}

// ---- Layout --------------------------------------------------------------------------------

int GridModel::colWidth(int col) const {
    if (col < 0 || col >= m_cols)
        return 0;
    const int width = m_columns[static_cast<size_t>(col)].width;
    return width < 0 ? kDefaultColWidth : width;
}

Status GridModel::setColWidth(int col, int twips) {
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    if (twips < -1)
        return invalidValue("ColWidth", twips);
    int& width = m_columns[static_cast<size_t>(col)].width;
    if (width == twips)
        return Status::ok();
    if (m_journal)
        m_journal->entries.emplace_back(
            Journal::ColumnSetting{col, m_columns[static_cast<size_t>(col)]});
    width = twips;
    notify(&GridObserver::layoutChanged);
    return Status::ok();
}

int GridModel::rowHeight(int row) const {
    if (row < 0 || row >= rows())
        return 0;
    const int height = m_rows[static_cast<size_t>(row)].height;
    return height < 0 ? m_defaultRowHeight : height;
}

Status GridModel::setRowHeight(int row, int twips) {
    if (row < 0 || row >= rows())
        return invalidIndex("row", row);
    if (twips < -1)
        return invalidValue("RowHeight", twips);
    int& height = m_rows[static_cast<size_t>(row)].height;
    if (height == twips)
        return Status::ok();
    if (m_journal && m_journal->keeps(row))
        m_journal->entries.emplace_back(Journal::RowHeight{row, height});
    height = twips;
    notify(&GridObserver::layoutChanged);
    return Status::ok();
}

Status GridModel::setDefaultRowHeight(int twips) {
    if (twips < 0)
        return invalidValue("RowHeight", twips);
    if (twips != m_defaultRowHeight) {
        m_defaultRowHeight = twips;
        notify(&GridObserver::layoutChanged);
    }
    return Status::ok();
}

CellAlignment GridModel::colAlignment(int col) const {
    if (col < 0 || col >= m_cols)
        return CellAlignment::General;
    return m_columns[static_cast<size_t>(col)].alignment;
}

Status GridModel::setColAlignment(int col, CellAlignment alignment) {
    if (col < 0 || col >= m_cols)
        return invalidIndex("column", col);
    const int value = static_cast<int>(alignment);
    if (value < 0 || value > static_cast<int>(CellAlignment::General))
        return invalidValue("ColAlignment", value);
    if (m_journal)
        m_journal->entries.emplace_back(
            Journal::ColumnSetting{col, m_columns[static_cast<size_t>(col)]});
    m_columns[static_cast<size_t>(col)].alignment = alignment;
    notify(&GridObserver::layoutChanged);
    return Status::ok();
}

void GridModel::setAllowUserResizing(UserResizing resizing) {
    m_userResizing = resizing;
    notify(&GridObserver::layoutChanged);
}

void GridModel::setBackColor(Rgb color) {
    m_backColor = color;
    notify(&GridObserver::layoutChanged);
}

void GridModel::setBackColorFixed(Rgb color) {
    m_backColorFixed = color;
    notify(&GridObserver::layoutChanged);
}

void GridModel::setForeColor(Rgb color) {
    m_foreColor = color;
    notify(&GridObserver::layoutChanged);
}

void GridModel::setFont(std::string name, double pointSize) {
    m_fontName = std::move(name);
    m_fontSize = pointSize;
    notify(&GridObserver::layoutChanged);
}

// ---- Geometry ------------------------------------------------------------------------------

int GridModel::colPos(int col) const {
    if (col < 0 || col >= m_cols)
        return 0;
    int x = 0;
    const int fixedEnd = std::min(col, m_fixedCols);
    for (int c = 0; c < fixedEnd; ++c)
        x += colWidth(c);
    if (col < m_fixedCols)
        return x;
    for (int c = m_leftCol; c < col; ++c)
        x += colWidth(c);
    for (int c = col; c < m_leftCol; ++c)
        x -= colWidth(c);
    return x;
}

int GridModel::rowPos(int row) const {
    if (row < 0 || row >= rows())
        return 0;
    int y = 0;
    const int fixedEnd = std::min(row, m_fixedRows);
    for (int r = 0; r < fixedEnd; ++r)
        y += rowHeight(r);
    if (row < m_fixedRows)
        return y;
    for (int r = m_topRow; r < row; ++r)
        y += rowHeight(r);
    for (int r = row; r < m_topRow; ++r)
        y -= rowHeight(r);
    return y;
}

std::pair<int, int> GridModel::cellAt(int xTwips, int yTwips) const {
    // Walks the fixed items, then the scrollable ones from the first shown.
    auto find = [](int pos, int count, int fixed, int first, auto size) {
        if (pos < 0)
            return -1;
        int edge = 0;
        for (int i = 0; i < count; ++i) {
            const int item = i < fixed ? i : first + (i - fixed);
            if (item >= count)
                return -1;
            edge += size(item);
            if (pos < edge)
                return item;
        }
        return -1;
    };
    const int col =
        find(xTwips, m_cols, m_fixedCols, m_leftCol, [this](int c) { return colWidth(c); });
    const int row =
        find(yTwips, rows(), m_fixedRows, m_topRow, [this](int r) { return rowHeight(r); });
    return {row, col};
}

// ---- Sort ----------------------------------------------------------------------------------

void GridModel::sortGenericAscending() {
    const int first = m_fixedRows;
    const int count = rows() - first;
    if (count < 2 || m_cols == 0)
        return;
    const CellRange keys = selection();
    const int keyLeft = std::clamp(keys.left, 0, m_cols - 1);
    const int keyRight = std::clamp(keys.right, 0, m_cols - 1);
    const int keyCount = keyRight - keyLeft + 1;

    // Read every key cell as a number once, not at every comparison.
    std::vector<std::optional<double>> numbers(static_cast<size_t>(count) * keyCount);
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < keyCount; ++k)
            numbers[static_cast<size_t>(i) * keyCount + k] =
                engine::readNumber(rowAt(first + i).texts.at(slotOf(keyLeft + k)));
    }
    auto less = [&](int a, int b) {
        for (int k = 0; k < keyCount; ++k) {
            const std::optional<double>& x = numbers[static_cast<size_t>(a) * keyCount + k];
            const std::optional<double>& y = numbers[static_cast<size_t>(b) * keyCount + k];
            int order;
            if (x && y) {
                order = *x < *y ? -1 : (*y < *x ? 1 : 0);
            } else {
                order = compareText(rowAt(first + a).texts.at(slotOf(keyLeft + k)),
                                    rowAt(first + b).texts.at(slotOf(keyLeft + k)));
            }
            if (order != 0)
                return order < 0;
        }
        return false;
    };
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    if (!inOrderAlready(numbers, keyCount, less))
        mergeSortStable(order, less);

    std::vector<Row> sorted;
    sorted.reserve(static_cast<size_t>(count));
    bool customHeights = false;
    for (int index : order) {
        customHeights = customHeights || m_rows[static_cast<size_t>(first + index)].height >= 0;
        sorted.push_back(std::move(m_rows[static_cast<size_t>(first + index)]));
    }
    std::move(sorted.begin(), sorted.end(), m_rows.begin() + first);
    if (m_journal)
        m_journal->entries.emplace_back(Journal::Sorted{first, std::move(order)});
    ++m_contentVersion;
    notify(&GridObserver::cellsChanged, CellRange{first, 0, rows() - 1, m_cols - 1});
    if (customHeights)
        notify(&GridObserver::layoutChanged);
}

// ---- Clip text -----------------------------------------------------------------------------

std::string GridModel::clip() const {
    if (rows() == 0 || m_cols == 0)
        return {};
    const CellRange block = selection();
    std::string text;
    for (int r = block.top; r <= block.bottom; ++r) {
        if (r > block.top)
            text += '\r';
        for (int c = block.left; c <= block.right; ++c) {
            if (c > block.left)
                text += '\t';
            text += textMatrix(r, c);
        }
    }
    return text;
}

Status GridModel::setClip(std::string_view text) {
    if (rows() == 0 || m_cols == 0)
        return Status::error(err::kInvalidPropertyValue,
                             "Invalid property value: the grid has no cell for the clip text");
    const CellRange block = selection();
    std::vector<std::string_view> lines = split(text, '\r');
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back();  // the carriage return ended the last row; it starts none
    const int lineCount = std::min(static_cast<int>(lines.size()), block.rowCount());
    int right = block.left;
    for (int i = 0; i < lineCount; ++i) {
        const std::vector<std::string_view> pieces = split(lines[static_cast<size_t>(i)], '\t');
        const int pieceCount = std::min(static_cast<int>(pieces.size()), block.colCount());
        const int row = block.top + i;
        RowTexts& texts = rowAt(row).texts;
        for (int j = 0; j < pieceCount; ++j) {
            const int col = block.left + j;
            if (m_journal && m_journal->keeps(row))
                m_journal->entries.emplace_back(
                    Journal::CellText{row, col, std::string(texts.at(slotOf(col)))});
            texts.set(slotOf(col), pieces[static_cast<size_t>(j)]);
        }
        right = std::max(right, block.left + pieceCount - 1);
    }
    if (lineCount > 0) {
        ++m_contentVersion;
        notify(&GridObserver::cellsChanged,
               CellRange{block.top, block.left, block.top + lineCount - 1, right});
    }
    return Status::ok();
}

// ---- Redraw --------------------------------------------------------------------------------

void GridModel::setRedraw(bool redraw) {
    if (redraw == m_redraw)
        return;
    m_redraw = redraw;
    notify(&GridObserver::redrawChanged, redraw);
}

// ---- User actions --------------------------------------------------------------------------

void GridModel::userSelectCell(int row, int col, bool extend) {
    if (!validCell(row, col))
        return;
    const int lastRow = rows() - 1;
    const int lastCol = m_cols - 1;
    const bool hasDataRows = rows() > m_fixedRows;
    const bool hasDataCols = m_cols > m_fixedCols;
    if (!hasDataRows || !hasDataCols)
        return;
    const bool inHeaderRow = row < m_fixedRows;
    const bool inMarkerCol = col < m_fixedCols;

    // Whole columns: anchor in the first scrollable row, corner in the last.
    auto selectColumns = [&](int toCol) {
        const int anchorCol = extend ? m_col : toCol;
        if (m_row != m_fixedRows || m_col != anchorCol)
            moveCurrent(m_fixedRows, anchorCol);
        moveSelectionCorner(lastRow, toCol);
    };
    // Whole rows: anchor in the first scrollable column, corner in the last.
    auto selectRows = [&](int toRow) {
        const int anchorRow = extend ? m_row : toRow;
        if (m_row != anchorRow || m_col != m_fixedCols)
            moveCurrent(anchorRow, m_fixedCols);
        moveSelectionCorner(toRow, lastCol);
    };

    if (inHeaderRow && inMarkerCol) {
        moveCurrent(m_fixedRows, m_fixedCols);
        moveSelectionCorner(lastRow, lastCol);
    } else if (inHeaderRow || (!inMarkerCol && m_selectionMode == SelectionMode::ByColumn)) {
        selectColumns(col);
    } else if (inMarkerCol || m_selectionMode == SelectionMode::ByRow) {
        selectRows(row);
    } else if (extend) {
        moveSelectionCorner(row, col);
    } else {
        moveCurrent(row, col);
    }
}

void GridModel::userMoveBy(int rowDelta, int colDelta, bool extend) {
    if (rows() <= m_fixedRows || m_cols <= m_fixedCols)
        return;
    const int fromRow = extend ? m_rowSel : m_row;
    const int fromCol = extend ? m_colSel : m_col;
    const int toRow =
        std::clamp(static_cast<long long>(fromRow) + rowDelta, static_cast<long long>(m_fixedRows),
                   static_cast<long long>(rows() - 1));
    // Columns step over hidden (zero-width) columns; with no shown column in that
    // direction the column stays.
    int toCol = std::max(fromCol, m_fixedCols);
    const int step = colDelta < 0 ? -1 : 1;
    for (int remaining = colDelta < 0 ? -colDelta : colDelta; remaining > 0; --remaining) {
        int next = toCol + step;
        while (next >= m_fixedCols && next < m_cols && colWidth(next) == 0)
            next += step;
        if (next < m_fixedCols || next >= m_cols)
            break;
        toCol = next;
    }
    if (extend)
        moveSelectionCorner(static_cast<int>(toRow), toCol);
    else
        moveCurrent(static_cast<int>(toRow), toCol);
}

void GridModel::userScrollTo(int topRow, int leftCol) {
    scrollTo(topRow, leftCol);
}

void GridModel::userResizeColumn(int col, int twips) {
    if (m_userResizing != UserResizing::Columns && m_userResizing != UserResizing::Both)
        return;
    twips = std::max(twips, 0);
    if (col < 0 || col >= m_cols || colWidth(col) == twips)
        return;  // an index outside the grid changes nothing
    (void)setColWidth(col, twips);
    if (m_listener)
        m_listener->gridColumnResized(col, twips);
}

void GridModel::userResizeRow(int row, int twips) {
    if (m_userResizing != UserResizing::Rows && m_userResizing != UserResizing::Both)
        return;
    (void)setRowHeight(row, std::max(twips, 0));
}

void GridModel::raiseMouseDown(int button, int shift, int xTwips, int yTwips) {
    std::tie(m_mouseRow, m_mouseCol) = cellAt(xTwips, yTwips);
    if (m_listener)
        m_listener->gridMouseDown(button, shift, xTwips, yTwips);
}

void GridModel::raiseMouseUp(int button, int shift, int xTwips, int yTwips) {
    std::tie(m_mouseRow, m_mouseCol) = cellAt(xTwips, yTwips);
    if (m_listener)
        m_listener->gridMouseUp(button, shift, xTwips, yTwips);
}

void GridModel::raiseDblClick() {
    if (m_listener)
        m_listener->gridDblClick();
}

void GridModel::raiseKeyDown(int keyCode, int shift) {
    if (m_listener)
        m_listener->gridKeyDown(keyCode, shift);
}

void GridModel::raiseKeyUp(int keyCode, int shift) {
    if (m_listener)
        m_listener->gridKeyUp(keyCode, shift);
}

void GridModel::raiseGotFocus() {
    if (m_listener)
        m_listener->gridGotFocus();
}

void GridModel::raiseLostFocus() {
    if (m_listener)
        m_listener->gridLostFocus();
}

}  // namespace velmora::core::grid
