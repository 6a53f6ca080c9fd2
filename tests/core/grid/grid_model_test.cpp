// The grid model's shape, rows, current-cell rules, scrolling, geometry and the order of its
// notifications.
#include "core/grid/grid_model.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/grid/grid_recorder.h"

namespace velmora::core::grid {
namespace {

using testing::columnTexts;
using testing::fillGrid;
using testing::Recorder;

TEST(GridModelTest, StartsWithTheControlsDefaultShape) {
    GridModel grid;
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cols(), 2);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.fixedCols(), 1);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 1);
    EXPECT_EQ(grid.topRow(), 1);
}

TEST(GridModelTest, AddItemSplitsTabsFromColumnZero) {
    GridModel grid;
    fillGrid(grid, {"Num", "NAME"}, {});
    struct Case {
        const char* item;
        std::vector<std::string> cells;  // columns 0, 1, 2
    };
    const Case cases[] = {
        {"\t12\tARD\t", {"", "12", "ARD"}},  // the views' form: leading and trailing tab
        {"x\ty\tz\tsurplus", {"x", "y", "z"}}, {"\tonly", {"", "only", ""}}, {"", {"", "", ""}},
        {"\t\tZDF", {"", "", "ZDF"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(grid.addItem(c.item).isOk()) << c.item;
        const int r = grid.rows() - 1;
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(grid.textMatrix(r, col), c.cells[col])
                << "item '" << c.item << "' col " << col;
    }
    // A row given as cells keeps each whole, a tab included, and takes its row data.
    const std::vector<std::string_view> cells = {"m", "a\tb", "c", "surplus"};
    ASSERT_TRUE(grid.addRow(cells, "Kids").isOk());
    const int r = grid.rows() - 1;
    EXPECT_EQ(grid.cols(), 3);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(grid.textMatrix(r, col), cells[static_cast<size_t>(col)]) << "col " << col;
    EXPECT_EQ(grid.rowData(r), "Kids");
    // A coloured row has its colour in the columns asked for that the grid has, and only there.
    const Rgb radio{255, 255, 192};
    ASSERT_TRUE(grid.addRow(cells, "", GridModel::ColumnsColor{1, 5, radio}).isOk());
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(grid.cellColorAt(grid.rows() - 1, col),
                  col >= 1 ? std::optional<Rgb>(radio) : std::nullopt)
            << "col " << col;
    EXPECT_EQ(grid.cellColorAt(r, 1), std::nullopt);
}

TEST(GridModelTest, AddItemAtIndexMovesLowerRowsDown) {
    GridModel grid;
    fillGrid(grid, {"A"}, {{"1"}, {"2"}, {"3"}});
    ASSERT_TRUE(grid.addItem("\tnew", 2).isOk());
    EXPECT_EQ(columnTexts(grid, 1), (std::vector<std::string>{"1", "new", "2", "3"}));
    ASSERT_TRUE(grid.addItem("\tend", grid.rows()).isOk());
    EXPECT_EQ(grid.textMatrix(grid.rows() - 1, 1), "end");
    // Not into the fixed rows, not beyond the end.
    EXPECT_EQ(grid.addItem("\tx", 0).code(), err::kInvalidIndex);
    EXPECT_EQ(grid.addItem("\tx", grid.rows() + 1).code(), err::kInvalidIndex);
    EXPECT_EQ(grid.rows(), 6);
}

TEST(GridModelTest, RemoveItemCases) {
    struct Case {
        const char* name;
        int dataRows;
        int current;  // current row before
        int remove;
        std::vector<std::string> left;
        int currentAfter;
    };
    const Case cases[] = {
        {"middle row", 3, 1, 2, {"1", "3"}, 1},
        {"first data row", 3, 2, 1, {"2", "3"}, 2},
        {"last data row while current", 3, 3, 3, {"1", "2"}, 2},
        {"only data row", 1, 1, 1, {}, 0},
    };
    for (const Case& c : cases) {
        GridModel grid;
        std::vector<std::vector<std::string>> rows;
        for (int i = 1; i <= c.dataRows; ++i)
            rows.push_back({std::to_string(i)});
        fillGrid(grid, {"A"}, rows);
        ASSERT_TRUE(grid.setRow(c.current).isOk());
        ASSERT_TRUE(grid.removeItem(c.remove).isOk()) << c.name;
        EXPECT_EQ(columnTexts(grid, 1), c.left) << c.name;
        EXPECT_EQ(grid.rows(), c.dataRows) << c.name;  // header plus the others
        EXPECT_EQ(grid.row(), c.currentAfter) << c.name;
        EXPECT_EQ(grid.textMatrix(0, 1), "A") << c.name << ": header kept";
    }
}

TEST(GridModelTest, RemoveItemRefusesFixedAndMissingRows) {
    GridModel grid;
    fillGrid(grid, {"A"}, {{"1"}});
    EXPECT_EQ(grid.removeItem(0).code(), err::kInvalidIndex);
    EXPECT_EQ(grid.removeItem(2).code(), err::kInvalidIndex);
    EXPECT_EQ(grid.rows(), 2);
}

TEST(GridModelTest, AfterEmptyingTheRowComesBackToTheFirstDataRow) {
    GridModel grid;
    fillGrid(grid, {"A"}, {{"1"}, {"2"}});
    ASSERT_TRUE(grid.setRow(2).isOk());
    ASSERT_TRUE(grid.setRows(1).isOk());
    EXPECT_EQ(grid.row(), 0);  // nothing but the header is left
    ASSERT_TRUE(grid.addItem("\tnew").isOk());
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.text(), "new");
}

TEST(GridModelTest, CodeMayPutTheCurrentCellIntoTheHeader) {
    GridModel grid;
    fillGrid(grid, {"A", "B"}, {{"1", "x"}});
    ASSERT_TRUE(grid.setCurrentCell(0, 2).isOk());
    EXPECT_EQ(grid.text(), "B");
    ASSERT_TRUE(grid.addItem("\t2\ty").isOk());
    EXPECT_EQ(grid.row(), 0) << "a row put there by code stays there";
}

TEST(GridModelTest, ShapeSettersValidate) {
    GridModel grid;
    EXPECT_EQ(grid.setRows(0).code(), err::kInvalidPropertyValue);  // fewer than fixed rows
    EXPECT_EQ(grid.setCols(-1).code(), err::kInvalidPropertyValue);
    EXPECT_EQ(grid.setFixedRows(3).code(), err::kInvalidPropertyValue);
    EXPECT_EQ(grid.setTextMatrix(2, 0, "x").code(), err::kInvalidIndex);
    EXPECT_EQ(grid.setTextMatrix(0, 2, "x").code(), err::kInvalidIndex);
    EXPECT_EQ(grid.setCurrentCell(5, 1).code(), err::kInvalidIndex);
    EXPECT_EQ(grid.textMatrix(9, 9), "");
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.row(), 1);
}

TEST(GridModelTest, ShrinkingColumnsMovesTheCurrentCellAndDropsCells) {
    GridModel grid;
    fillGrid(grid, {"A", "B", "C"}, {{"1", "2", "3"}});
    ASSERT_TRUE(grid.setCurrentCell(1, 3).isOk());
    ASSERT_TRUE(grid.setCellBackColorAt(1, 1, {1, 2, 3}).isOk());
    ASSERT_TRUE(grid.setCellBackColorAt(1, 2, {4, 5, 6}).isOk());
    ASSERT_TRUE(grid.setCols(2).isOk());
    EXPECT_EQ(grid.col(), 1);
    ASSERT_TRUE(grid.setCols(4).isOk());
    EXPECT_EQ(grid.textMatrix(1, 2), "") << "a dropped column comes back empty";
    EXPECT_EQ(grid.cellColorAt(1, 2), std::nullopt) << "and without its colour";
    EXPECT_EQ(grid.cellColorAt(1, 1), (Rgb{1, 2, 3}));
    EXPECT_EQ(grid.textMatrix(1, 1), "1");
    EXPECT_EQ(grid.colWidth(3), GridModel::kDefaultColWidth);
}

TEST(GridModelTest, ScratchGridWithoutFixedCells) {
    GridModel grid;
    ASSERT_TRUE(grid.setFixedRows(0).isOk());
    ASSERT_TRUE(grid.setFixedCols(0).isOk());
    ASSERT_TRUE(grid.setCols(3).isOk());
    ASSERT_TRUE(grid.setRows(2).isOk());
    ASSERT_TRUE(grid.setCurrentCell(0, 0).isOk());
    ASSERT_TRUE(grid.setRowSel(1).isOk());
    ASSERT_TRUE(grid.setColSel(2).isOk());
    EXPECT_EQ(grid.selection(), (CellRange{0, 0, 1, 2}));
    EXPECT_EQ(grid.effectiveBackColor(0, 0), grid.backColor());
    ASSERT_TRUE(grid.addItem("a\tb\tc", 0).isOk());
    EXPECT_EQ(grid.textMatrix(0, 2), "c");
}

TEST(GridModelTest, ManyMoreRowsThanSixteenBits) {
    GridModel grid;
    fillGrid(grid, {"Num"}, {});
    const int n = 40000;
    for (int i = n; i >= 1; --i)
        ASSERT_TRUE(grid.addItem("\t" + std::to_string(i)).isOk());
    EXPECT_EQ(grid.rows(), n + 1);
    ASSERT_TRUE(grid.setCol(1).isOk());
    grid.sortGenericAscending();
    EXPECT_EQ(grid.textMatrix(1, 1), "1");
    EXPECT_EQ(grid.textMatrix(32768, 1), "32768");
    EXPECT_EQ(grid.textMatrix(n, 1), std::to_string(n));
    ASSERT_TRUE(grid.setRow(n).isOk());
    ASSERT_TRUE(grid.removeItem(n).isOk());
    EXPECT_EQ(grid.row(), n - 1);
}

TEST(GridModelTest, CurrentCellRules) {
    GridModel grid;
    fillGrid(grid, {"A", "B", "C"}, {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
    ASSERT_TRUE(grid.setCurrentCell(1, 1).isOk());
    ASSERT_TRUE(grid.setRowSel(3).isOk());
    ASSERT_TRUE(grid.setColSel(2).isOk());
    EXPECT_EQ(grid.selection(), (CellRange{1, 1, 3, 2}));
    // Setting Row collapses the selection onto the new current cell.
    ASSERT_TRUE(grid.setRow(2).isOk());
    EXPECT_EQ(grid.selection(), (CellRange{2, 1, 2, 1}));
    // The selection may run upwards and to the left of the current cell.
    ASSERT_TRUE(grid.setCurrentCell(3, 3).isOk());
    ASSERT_TRUE(grid.setRowSel(1).isOk());
    ASSERT_TRUE(grid.setColSel(2).isOk());
    EXPECT_EQ(grid.selection(), (CellRange{1, 2, 3, 3}));
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(grid.text(), "9");
}

TEST(GridModelTest, UserSelection) {
    struct Case {
        const char* name;
        int row, col;
        bool extend;
        CellRange expected;
        int currentRow, currentCol;
    };
    // Grid of 3 data rows x 3 data columns, current cell (2, 2) before each case.
    const Case cases[] = {
        {"data cell", 3, 1, false, {3, 1, 3, 1}, 3, 1},
        {"extend to a data cell", 3, 3, true, {2, 2, 3, 3}, 2, 2},
        {"header cell selects its column", 0, 3, false, {1, 3, 3, 3}, 1, 3},
        {"row marker selects the whole row", 3, 0, false, {3, 1, 3, 3}, 3, 1},
        {"corner selects everything", 0, 0, false, {1, 1, 3, 3}, 1, 1},
        {"outside the grid changes nothing", 7, 1, false, {2, 2, 2, 2}, 2, 2},
    };
    for (const Case& c : cases) {
        GridModel grid;
        fillGrid(grid, {"A", "B", "C"}, {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
        ASSERT_TRUE(grid.setCurrentCell(2, 2).isOk());
        grid.userSelectCell(c.row, c.col, c.extend);
        EXPECT_EQ(grid.selection(), c.expected) << c.name;
        EXPECT_EQ(grid.row(), c.currentRow) << c.name;
        EXPECT_EQ(grid.col(), c.currentCol) << c.name;
    }
}

TEST(GridModelTest, WholeRowSelectionModeSpansTheColumns) {
    GridModel grid;
    fillGrid(grid, {"A", "B"}, {{"1", "2"}, {"3", "4"}});
    grid.setSelectionMode(SelectionMode::ByRow);
    grid.userSelectCell(2, 2, false);
    EXPECT_EQ(grid.selection(), (CellRange{2, 1, 2, 2}));
    grid.userSelectCell(1, 2, true);
    EXPECT_EQ(grid.selection(), (CellRange{1, 1, 2, 2}));
}

TEST(GridModelTest, KeyboardMovesStayInsideAndSkipHiddenColumns) {
    GridModel grid;
    fillGrid(grid, {"A", "hidden", "C", "hidden"}, {{"1", "", "3", ""}, {"4", "", "6", ""}});
    ASSERT_TRUE(grid.setColWidth(2, 0).isOk());
    ASSERT_TRUE(grid.setColWidth(4, 0).isOk());
    ASSERT_TRUE(grid.setCurrentCell(1, 1).isOk());
    grid.userMoveBy(0, 1, false);
    EXPECT_EQ(grid.col(), 3);
    grid.userMoveBy(0, 1, false);
    EXPECT_EQ(grid.col(), 3) << "only hidden columns to the right";
    grid.userMoveBy(-5, -1, false);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 1);
    grid.userMoveBy(100, 0, true);
    EXPECT_EQ(grid.selection(), (CellRange{1, 1, 2, 1}));
}

TEST(GridModelTest, LeaveCellComesBeforeTheMoveAndOnlyForARealMove) {
    GridModel grid;
    fillGrid(grid, {"A", "B"}, {{"1", "2"}, {"3", "4"}});
    ASSERT_TRUE(grid.setCurrentCell(1, 1).isOk());
    Recorder rec(grid);
    ASSERT_TRUE(grid.setRow(2).isOk());
    ASSERT_TRUE(grid.setRow(2).isOk());     // no move, no event
    ASSERT_TRUE(grid.setRowSel(1).isOk());  // selection only, no event
    grid.userSelectCell(1, 2, false);
    EXPECT_EQ(rec.log, (std::vector<std::string>{
                           "leaveCell at 1,1",
                           "current 2,1 sel 2,1",
                           "current 2,1 sel 1,1",
                           "leaveCell at 2,1",
                           "current 1,2 sel 1,2",
                       }));
}

TEST(GridModelTest, AnEditFinishedInLeaveCellLandsInTheOldCell) {
    GridModel grid;
    fillGrid(grid, {"A"}, {{"old"}, {"other"}});
    ASSERT_TRUE(grid.setCurrentCell(1, 1).isOk());
    Recorder rec(grid);
    rec.onLeaveCell = [&] {
        ASSERT_TRUE(grid.setText("edited").isOk());
        // A move made by the handler itself raises no second "leave cell".
        ASSERT_TRUE(grid.setRow(1).isOk());
    };
    grid.userSelectCell(2, 1, false);
    EXPECT_EQ(grid.textMatrix(1, 1), "edited");
    EXPECT_EQ(grid.textMatrix(2, 1), "other");
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(std::count(rec.log.begin(), rec.log.end(), "leaveCell at 1,1"), 1);
}

TEST(GridModelTest, ScrollComesBeforeTheTopRowMoves) {
    GridModel grid;
    fillGrid(grid, {"A"}, {{"1"}, {"2"}, {"3"}});
    Recorder rec(grid);
    ASSERT_TRUE(grid.setTopRow(3).isOk());
    grid.userScrollTo(3, 1);   // already there
    grid.userScrollTo(-4, 1);  // clamped to the first data row
    ASSERT_TRUE(grid.removeItem(3).isOk());
    EXPECT_EQ(rec.log, (std::vector<std::string>{
                           "scroll at 1",
                           "scrolled 3",
                           "scroll at 3",
                           "scrolled 1",
                           "aboutToRemoveRows 3+1",
                           "rowsRemoved 3+1",
                       }));
    EXPECT_EQ(grid.setTopRow(4).code(), err::kInvalidIndex);
}

TEST(GridModelTest, StructuralNotificationsComeInPairs) {
    GridModel grid;
    Recorder rec(grid);
    ASSERT_TRUE(grid.setRows(4).isOk());
    ASSERT_TRUE(grid.setCols(3).isOk());
    ASSERT_TRUE(grid.setRows(2).isOk());
    ASSERT_TRUE(grid.setTextMatrix(1, 2, "x").isOk());
    ASSERT_TRUE(grid.setTextMatrix(1, 2, "x").isOk());  // unchanged: nothing to tell
    ASSERT_TRUE(grid.setCellBackColorAt(1, 1, Rgb{214, 239, 247}).isOk());
    ASSERT_TRUE(grid.setFixedCols(0).isOk());
    grid.setRedraw(false);
    EXPECT_EQ(rec.log, (std::vector<std::string>{
                           "aboutToInsertRows 2+2",
                           "rowsInserted 2+2",
                           "aboutToInsertCols 2+1",
                           "colsInserted 2+1",
                           "aboutToRemoveRows 2+2",
                           "rowsRemoved 2+2",
                           "cells 1,2-1,2",
                           "cells 1,1-1,1",
                           "aboutToReset",
                           "reset",
                           "redraw off",
                       }));
}

TEST(GridModelTest, ColoursFixedAndCustom) {
    GridModel grid;
    const Rgb radio{214, 239, 247};
    ASSERT_TRUE(grid.setCellBackColor(radio).isOk());  // the current cell (1, 1)
    EXPECT_EQ(grid.cellBackColor(), radio);
    EXPECT_EQ(grid.effectiveBackColor(0, 1), grid.backColorFixed());
    EXPECT_EQ(grid.effectiveBackColor(1, 0), grid.backColorFixed());
    EXPECT_FALSE(grid.cellColorAt(0, 0).has_value());
    grid.setBackColor(Rgb{1, 2, 3});
    EXPECT_EQ(grid.effectiveBackColor(1, 1), radio) << "a cell's own colour wins";
}

TEST(GridModelTest, CellGeometryInTwips) {
    GridModel grid;
    fillGrid(grid, {"A", "B", "C"}, {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
    ASSERT_TRUE(grid.setColWidth(0, 150).isOk());
    ASSERT_TRUE(grid.setColWidth(1, 450).isOk());
    ASSERT_TRUE(grid.setColWidth(2, 700).isOk());
    ASSERT_TRUE(grid.setRowHeight(2, 300).isOk());
    ASSERT_TRUE(grid.setCurrentCell(3, 3).isOk());
    EXPECT_EQ(grid.cellLeft(), 150 + 450 + 700);
    EXPECT_EQ(grid.cellTop(), 240 + 240 + 300);
    EXPECT_EQ(grid.cellWidth(), GridModel::kDefaultColWidth);
    EXPECT_EQ(grid.cellHeight(), 240);
    // Scrolled: the fixed row and column stay, the rest moves.
    ASSERT_TRUE(grid.setTopRow(2).isOk());
    ASSERT_TRUE(grid.setLeftCol(2).isOk());
    EXPECT_EQ(grid.cellTop(), 240 + 300);
    EXPECT_EQ(grid.cellLeft(), 150 + 700);
    EXPECT_EQ(grid.rowPos(1), 0) << "scrolled out above the data area";
    // Hit test walks the same layout.
    EXPECT_EQ(grid.cellAt(100, 100), (std::pair<int, int>{0, 0}));
    EXPECT_EQ(grid.cellAt(151, 241), (std::pair<int, int>{2, 2}));
    EXPECT_EQ(grid.cellAt(150 + 700, 240 + 300), (std::pair<int, int>{3, 3}));
    EXPECT_EQ(grid.cellAt(100000, 100), (std::pair<int, int>{0, -1}));
}

TEST(GridModelTest, MouseEventsCarryPositionAndRecordTheCell) {
    GridModel grid;
    fillGrid(grid, {"A"}, {{"1"}, {"2"}});
    ASSERT_TRUE(grid.setColWidth(0, 150).isOk());
    Recorder rec(grid);
    grid.userSelectCell(2, 1, false);
    grid.raiseMouseDown(form::kLeftButton, form::kShiftMask, 400, 500);
    grid.raiseDblClick();
    grid.raiseKeyUp(67, form::kCtrlMask);
    grid.raiseGotFocus();
    EXPECT_EQ(grid.mouseRow(), 2);
    EXPECT_EQ(grid.mouseCol(), 1);
    EXPECT_EQ(rec.log, (std::vector<std::string>{
                           "leaveCell at 1,1",
                           "current 2,1 sel 2,1",
                           "mouseDown 1 1 400 500 at 2,1",
                           "dblClick",
                           "keyUp 67 2",
                           "gotFocus",
                       }));
}

// With the height of the front end's rows known, TopRow stops where the last rows fill it,
// as the scroll bar stops: a row made TopRow by code lies where the view shows it.
TEST(GridModelTest, TopRowStopsWhereTheLastRowsFillTheViewport) {
    struct Case {
        const char* what;
        int viewport;  // twips; 0 unknown
        int asked;
        int top;
    };
    const Case cases[] = {
        {"unknown height: any row", 0, 10, 10},
        {"four rows fit: the seventh is the last top", 4 * 240, 10, 7},
        {"a part row does not count", 4 * 240 + 100, 10, 7},
        {"above the limit it stays", 4 * 240, 5, 5},
        {"less than a row: the last row", 100, 10, 10},
        {"more room than rows: the first data row", 20 * 240, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridModel grid;
        fillGrid(grid, {"A"},
                 {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}, {"7"}, {"8"}, {"9"}, {"10"}});
        grid.setViewportHeight(c.viewport);
        ASSERT_TRUE(grid.setTopRow(c.asked).isOk());
        EXPECT_EQ(grid.topRow(), c.top);
        EXPECT_EQ(grid.cellAt(10, grid.rowHeight(0) + 10).first, c.top);
    }
    // A viewport that grows scrolls back, with "scroll" first.
    GridModel grid;
    fillGrid(grid, {"A"}, {{"1"}, {"2"}, {"3"}, {"4"}});
    grid.setViewportHeight(240);
    ASSERT_TRUE(grid.setTopRow(4).isOk());
    Recorder rec(grid);
    grid.setViewportHeight(3 * 240);
    EXPECT_EQ(grid.topRow(), 2);
    EXPECT_EQ(rec.log, (std::vector<std::string>{"scroll at 4", "scrolled 2"}));
}

TEST(GridModelTest, UserResizingFollowsTheSetting) {
    GridModel grid;
    grid.userResizeColumn(1, 2000);
    EXPECT_EQ(grid.colWidth(1), GridModel::kDefaultColWidth);
    grid.setAllowUserResizing(UserResizing::Columns);
    grid.userResizeColumn(1, 2000);
    grid.userResizeRow(1, 999);
    EXPECT_EQ(grid.colWidth(1), 2000);
    EXPECT_EQ(grid.rowHeight(1), GridModel::kDefaultRowHeight);
}

TEST(GridModelTest, HeaderSetsColumnsCaptionsAndAlignment) {
    GridModel grid;
    ASSERT_TRUE(grid.setHeader({"", "Num", "Source"}, CellAlignment::LeftCenter).isOk());
    EXPECT_EQ(grid.cols(), 3);
    EXPECT_EQ(grid.textMatrix(0, 2), "Source");
    EXPECT_EQ(grid.colAlignment(2), CellAlignment::LeftCenter);
    EXPECT_EQ(grid.setColAlignment(1, static_cast<CellAlignment>(12)).code(),
              err::kInvalidPropertyValue);
}

}  // namespace
}  // namespace velmora::core::grid
