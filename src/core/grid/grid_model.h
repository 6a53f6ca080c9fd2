// GridModel: the main window's grid (and the scratch grid of the paste command) as data.
//
// A rectangle of text cells with fixed rows at the top and fixed columns on the left (one of
// each by default: row 0 holds the field names, column 0 is the narrow row-marker column),
// a current cell (Row, Col) and the selection's other corner (RowSel, ColSel), a scroll
// position (TopRow, LeftCol), column widths and row heights in twips, column alignment and
// per-cell background colours. The handlers work on it exactly as on the grid control: they
// append rows from tab-separated text, remove rows, sort, read and write the selection as
// clip text and ask where a cell lies. A front end draws it through GridObserver and feeds
// the user's clicks, keys and scrolling back through the user...() and raise...() calls.
//
// Row and column numbers are ints with no limit of their own: lists of more than 32 767 rows
// work. Calls that take an index return a Status: 381 for a row or column that does not
// exist, 380 for a value the property cannot take; nothing changes on failure. Reading a
// cell that does not exist gives empty text.
//
// Current-cell rules: setting Row or Col (or both) collapses the selection onto the new
// current cell and raises "leave cell" first when the cell actually changes. A shape change
// never leaves Row/Col outside the grid: they move to the nearest remaining cell, and while
// the grid has scrollable rows (columns) they stay out of the fixed area unless code put
// them there. Such moves raise no "leave cell": the cell that was left is gone.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/grid/grid_listeners.h"
#include "core/grid/grid_types.h"
#include "core/grid/row_texts.h"
#include "engine/base/status.h"

namespace velmora::core::grid {

using engine::Status;

namespace err {
inline constexpr int kInvalidPropertyValue = 380;  // Invalid property value.
inline constexpr int kInvalidIndex = 381;          // Subscript out of range (row or column).
}  // namespace err

class GridModel {
public:
    static constexpr int kDefaultColWidth = 960;  // twips
    static constexpr int kDefaultRowHeight = 240;
    static constexpr int kMaxRows = 1 << 24;  // a guard against runaway sizes, not a format limit
    static constexpr int kMaxCols = 1 << 14;

    // Two rows and two columns, one of each fixed; the current cell is (1, 1).
    GridModel();
    ~GridModel();
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;

    // --- Audiences -------------------------------------------------------------------------
    // Observers are not owned and must remove themselves before they go away.
    void addObserver(GridObserver* observer);
    void removeObserver(GridObserver* observer);
    // The program's handlers; not owned, nullptr for none.
    void setEventListener(GridEventListener* listener) { m_listener = listener; }
    GridEventListener* eventListener() const { return m_listener; }

    // --- Shape (Rows, Cols, FixedRows, FixedCols) ---------------------------------------------
    int rows() const { return static_cast<int>(m_rows.size()); }
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    // Growing adds empty rows (columns) at the end; shrinking drops the last ones with their
    // texts and colours. Fewer rows (columns) than fixed ones is refused (380).
    Status setRows(int rows);
    Status setCols(int cols);
    // At most the number of rows (columns).
    Status setFixedRows(int fixedRows);
    Status setFixedCols(int fixedCols);
    int dataRowCount() const { return rows() - m_fixedRows; }

    // Columns := captions.size(); row 0 gets the captions as they are and every column the
    // alignment. Needs at least one row.
    Status setHeader(const std::vector<std::string>& captions, CellAlignment alignment);

    // --- Cells (TextMatrix, Text, CellBackColor) --------------------------------------------
    // A cell's text is a view into the grid's own storage: it stays valid until that row
    // changes (any text, colour or row data of it) or leaves the grid; copy it to keep it
    // longer. The text given to setTextMatrix may be a view into the grid.
    std::string_view textMatrix(int row, int col) const;
    Status setTextMatrix(int row, int col, std::string_view text);
    // The current cell's text (Text).
    std::string_view text() const { return textMatrix(m_row, m_col); }
    Status setText(std::string_view text) { return setTextMatrix(m_row, m_col, text); }

    // The colour a cell was given, if any; cells without one show backColor() (scrollable
    // cells) or backColorFixed() (fixed cells).
    std::optional<Rgb> cellColorAt(int row, int col) const;
    Rgb effectiveBackColor(int row, int col) const;
    Status setCellBackColorAt(int row, int col, Rgb color);
    // CellBackColor: the current cell's shown colour, and giving the current cell a colour.
    Rgb cellBackColor() const { return effectiveBackColor(m_row, m_col); }
    Status setCellBackColor(Rgb color) { return setCellBackColorAt(m_row, m_col, color); }

    // --- Row data (RowData) ---------------------------------------------------------------------
    // A text the program keeps with each row and the user never sees. It moves with its row
    // (sort, insertion, removal); a new row has none (empty text). Setting it tells no
    // observer: nothing shown changes.
    // The view stays valid as a cell's text does.
    std::string_view rowData(int row) const;
    Status setRowData(int row, std::string_view data);

    // --- Rows (AddItem, RemoveItem) -----------------------------------------------------------
    // Adds a row from tab-separated text: the first piece goes to column 0, the next to
    // column 1 and so on; pieces beyond the last column are dropped, missing ones leave
    // empty cells. Without an index the row goes to the end; with one it is inserted there
    // (fixedRows() .. rows()) and the rows below move down. Row and Col keep their numbers.
    Status addItem(std::string_view item);
    Status addItem(std::string_view item, int index);
    // Adds a row at the end from its cells, column 0 first, each kept whole (a tab is text
    // here), with `data` as its row data: what AddItem and then RowData would give, without
    // the trip through tab-separated text. Cells beyond the last column are dropped.
    // Columns first .. last of one row in one back colour (the channel list's radio rows).
    struct ColumnsColor {
        int first = 0;
        int last = -1;
        Rgb color{};
    };
    // `colored`, when given, colours the new row's cells as setCellBackColorAt would each of
    // them, the columns beyond the grid's left out.
    Status addRow(std::span<const std::string_view> cells, std::string_view data = {},
                  const std::optional<ColumnsColor>& colored = std::nullopt);
    // Removes a scrollable row; the rows below move up. Removing the only data row leaves
    // the fixed rows alone.
    Status removeItem(int row);
    // Room for this many rows in all, so that a list filled row by row, whose length the
    // caller knows, is not copied into ever larger storage on the way (nor left with up to
    // twice the room it needs). Changes nothing the grid shows.
    void reserveRows(int rows);

    // --- Current cell and selection (Row, Col, RowSel, ColSel, SelectionMode) ---------------
    int row() const { return m_row; }
    int col() const { return m_col; }
    int rowSel() const { return m_rowSel; }
    int colSel() const { return m_colSel; }
    Status setRow(int row);
    Status setCol(int col);
    Status setCurrentCell(int row, int col);
    // Moves only the selection's other corner; no "leave cell".
    Status setRowSel(int rowSel);
    Status setColSel(int colSel);
    // The selected block; an empty grid gives a block of row/column 0.
    CellRange selection() const { return CellRange::spanning(m_row, m_col, m_rowSel, m_colSel); }
    SelectionMode selectionMode() const { return m_selectionMode; }
    void setSelectionMode(SelectionMode mode);

    // --- Scrolling (TopRow, LeftCol) --------------------------------------------------------
    // The first scrollable row (column) shown; raises "scroll" first when it changes. While
    // the height the rows are shown in is known, TopRow goes no further down than the row
    // from which the last rows fill that height, as a scroll bar goes: a row made TopRow by
    // code then lies where the front end really shows it.
    int topRow() const { return m_topRow; }
    int leftCol() const { return m_leftCol; }
    Status setTopRow(int row);
    Status setLeftCol(int col);
    // The twips the front end shows the scrollable rows in (its area below the fixed rows);
    // 0, the start, is unknown. A TopRow beyond the new limit scrolls back ("scroll" first).
    int viewportHeight() const { return m_viewportHeight; }
    void setViewportHeight(int twips);

    // --- Layout (ColWidth, RowHeight, ColAlignment, colours, font) --------------------------
    // Twips; 0 hides the column. -1 sets the default back.
    int colWidth(int col) const;
    Status setColWidth(int col, int twips);
    int rowHeight(int row) const;
    Status setRowHeight(int row, int twips);
    int defaultRowHeight() const { return m_defaultRowHeight; }
    Status setDefaultRowHeight(int twips);
    CellAlignment colAlignment(int col) const;
    Status setColAlignment(int col, CellAlignment alignment);
    UserResizing allowUserResizing() const { return m_userResizing; }
    void setAllowUserResizing(UserResizing resizing);
    Rgb backColor() const { return m_backColor; }
    Rgb backColorFixed() const { return m_backColorFixed; }
    Rgb foreColor() const { return m_foreColor; }
    void setBackColor(Rgb color);
    void setBackColorFixed(Rgb color);
    void setForeColor(Rgb color);
    // The grid's font, which every cell uses (CellFontName, CellFontSize). An empty name
    // means the front end's default font.
    const std::string& fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    void setFont(std::string name, double pointSize);

    // --- Geometry (CellLeft, CellTop, CellWidth, CellHeight) ----------------------------------
    // Twips from the grid's top left corner, as the grid is scrolled now. A scrollable cell
    // scrolled out of view lies before the fixed area (negative relative to it) or beyond
    // the visible part.
    int colPos(int col) const;
    int rowPos(int row) const;
    int cellLeft() const { return colPos(m_col); }
    int cellTop() const { return rowPos(m_row); }
    int cellWidth() const { return colWidth(m_col); }
    int cellHeight() const { return rowHeight(m_row); }
    // The cell under a point (twips from the grid's top left), or -1 where there is none.
    std::pair<int, int> cellAt(int xTwips, int yTwips) const;
    // The cell under the mouse at the last mouse event (MouseRow, MouseCol).
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }

    // --- Sort (Sort = 1) ----------------------------------------------------------------------
    // Sorts all scrollable rows ascending on the selected columns (Col .. ColSel, left to
    // right), with the generic comparison: cells that both read as numbers by value, others
    // as text. Whole rows move, with their colours and heights; rows with equal keys keep
    // their order. Row, Col and the selection keep their numbers.
    void sortGenericAscending();

    // --- Clip text (Clip) -----------------------------------------------------------------------
    // The selected block: cells of a row joined by tabs, rows by carriage returns.
    std::string clip() const;
    // Fills the selected block from its top left cell: a tab moves to the next column, a
    // carriage return to the next row; text beyond the block is dropped, cells the text
    // does not reach keep their text. A final carriage return starts no further row. Fails
    // (380, nothing changed) when the grid has no cell to place the text in.
    Status setClip(std::string_view text);

    // --- Redraw ---------------------------------------------------------------------------------
    bool redraw() const { return m_redraw; }
    void setRedraw(bool redraw);

    // --- Taking changes back ----------------------------------------------------------------
    // While recording, the grid keeps what each change of its content and shape replaced:
    // texts, colours, row data and heights, rows, columns with their widths and alignment,
    // the fixed rows and columns, the order before a sort; and where the current cell, the
    // selection and the scroll position were when recording began. What is kept is moved
    // out, not copied: emptying a long list keeps its rows, a sort keeps its permutation.
    // The grid-wide colours, the font, the redraw switch and the resizing mode are not kept.
    //
    // Starting forgets what was recorded before. takeBackRecorded() puts everything back
    // as one reset (observers see aboutToReset / resetDone; no "leave cell" or "scroll" is
    // raised) and goes on recording from there.
    void startRecording();
    void stopRecording();
    bool isRecording() const { return m_journal != nullptr; }
    void takeBackRecorded();

    // Counts the changes of what the grid holds: texts, colours, row data, rows, columns,
    // the fixed area, sorts. Layout, the current cell and scrolling do not count; so a
    // program can tell whether a command changed what the grid shows.
    std::uint64_t contentVersion() const { return m_contentVersion; }

    // --- What the user does (called by the front end) ----------------------------------------
    // A left press or keyboard move onto a cell. A scrollable cell becomes current (or, with
    // `extend`, the selection's other corner); a fixed cell of the header row selects its
    // whole column, one of the row-marker column its whole row, the corner everything.
    void userSelectCell(int row, int col, bool extend);
    // Moves the current cell (or with `extend` the selection's corner) by a number of rows
    // and columns, staying inside the scrollable area and stepping over hidden columns.
    // Scrolling the cell into view is the front end's business (through userScrollTo).
    void userMoveBy(int rowDelta, int colDelta, bool extend);
    // The user scrolled (scroll bar, wheel): raises "scroll", then moves.
    void userScrollTo(int topRow, int leftCol);
    // A column border or row border dragged, when allowUserResizing() permits it; a border
    // of an item that no longer exists changes nothing. A column that changed its width
    // tells the listener (gridColumnResized).
    void userResizeColumn(int col, int twips);
    void userResizeRow(int row, int twips);

    // Events forwarded to the listener. Mouse events also record MouseRow / MouseCol.
    void raiseMouseDown(int button, int shift, int xTwips, int yTwips);
    void raiseMouseUp(int button, int shift, int xTwips, int yTwips);
    void raiseDblClick();
    void raiseKeyDown(int keyCode, int shift);
    void raiseKeyUp(int keyCode, int shift);
    void raiseGotFocus();
    void raiseLostFocus();

private:
    // Colours are rare (the radio rows of the channel list), so a row lists only the cells
    // that have one, by column, and a row without any costs one null pointer: a long list
    // holds 24 bytes a row beside its texts.
    struct ColoredCell {
        int col;
        Rgb color;
    };
    struct Row {
        RowTexts texts;  // slot 0: the row data; slot 1 + c: the text of column c
        std::unique_ptr<std::vector<ColoredCell>> colors;  // null: no colour; else never empty
        int height = -1;                                   // -1: the default row height
    };
    static std::size_t slotOf(int col) { return static_cast<std::size_t>(col) + 1; }
    static constexpr std::size_t kRowDataSlot = 0;
    struct Column {
        int width = -1;  // -1: kDefaultColWidth
        CellAlignment alignment = CellAlignment::General;
    };

    bool validCell(int row, int col) const {
        return row >= 0 && row < rows() && col >= 0 && col < m_cols;
    }
    Row& rowAt(int row) { return m_rows[static_cast<std::size_t>(row)]; }
    const Row& rowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    // Puts a new row in at `index` (fixedRows() .. rows()), telling the observers and the
    // journal.
    void insertRow(int index, Row row);
    // Drops the texts and colours of the columns from `cols` on from every row.
    void dropCellsFrom(int cols);
    static std::optional<Rgb> colorOf(const Row& row, int col);
    // No colour (nullopt) takes the cell's colour away.
    static void putColor(Row& row, int col, std::optional<Rgb> color);
    // Raises "leave cell" (once, not from inside its own handler) and moves the current cell,
    // collapsing the selection.
    void moveCurrent(int row, int col);
    void moveSelectionCorner(int rowSel, int colSel);
    // Raises "scroll" and moves the scroll position when it changes.
    void scrollTo(int topRow, int leftCol);
    // Brings Row, Col, the selection and the scroll position back inside the grid after a
    // shape change, and tells the observers what moved.
    void normalize(bool tell = true);
    int clampTopRow(int row) const;
    int clampLeftCol(int col) const;

    // What recording keeps (grid_journal.h).
    struct Journal;

    template <class... Params, class... Args>
    void notify(void (GridObserver::*member)(Params...), Args&&... args);

    std::vector<Row> m_rows;
    std::vector<Column> m_columns;
    int m_cols = 0;
    int m_fixedRows = 1;
    int m_fixedCols = 1;

    int m_row = 1;
    int m_col = 1;
    int m_rowSel = 1;
    int m_colSel = 1;
    // Code put Row (Col) into the fixed area on purpose; shape changes leave it there.
    bool m_rowFixedByCode = false;
    bool m_colFixedByCode = false;
    SelectionMode m_selectionMode = SelectionMode::Free;

    int m_topRow = 1;
    int m_leftCol = 1;
    int m_viewportHeight = 0;
    int m_mouseRow = -1;
    int m_mouseCol = -1;

    int m_defaultRowHeight = kDefaultRowHeight;
    UserResizing m_userResizing = UserResizing::None;
    Rgb m_backColor{255, 255, 255};
    Rgb m_backColorFixed{240, 240, 240};  // the button face of the window system
    Rgb m_foreColor{0, 0, 0};
    std::string m_fontName;
    double m_fontSize = 8.25;
    bool m_redraw = true;

    bool m_inLeaveCell = false;
    bool m_inScroll = false;

    std::uint64_t m_contentVersion = 0;
    std::unique_ptr<Journal> m_journal;  // null while not recording

    std::vector<GridObserver*> m_observers;
    GridEventListener* m_listener = nullptr;
};

}  // namespace velmora::core::grid
