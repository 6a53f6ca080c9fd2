// The grid widget on the offscreen platform: twips to pixels, hidden columns, the current
// cell and selection both ways, and the events it forwards (mouse in twips, double click,
// keys as virtual-key codes, focus, leave cell, scroll).
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/grid/grid_model.h"
#include "ports_qt_app.h"
#include "qt/grid_table_model.h"
#include "qt/grid_view.h"

namespace velmora::qt {
namespace {

using core::grid::CellAlignment;
using core::grid::GridModel;

class EventLog : public core::grid::GridEventListener {
public:
    explicit EventLog(GridModel& grid) : m_grid(grid) { grid.setEventListener(this); }
    ~EventLog() override { m_grid.setEventListener(nullptr); }

    std::vector<std::string> events;
    int lastX = -1;
    int lastY = -1;

    void gridMouseDown(int button, int shift, int x, int y) override {
        lastX = x;
        lastY = y;
        add("mouseDown " + std::to_string(button) + " " + std::to_string(shift));
    }
    void gridMouseUp(int button, int, int, int) override {
        add("mouseUp " + std::to_string(button));
    }
    void gridDblClick() override { add("dblClick"); }
    void gridKeyUp(int key, int shift) override {
        add("keyUp " + std::to_string(key) + " " + std::to_string(shift));
    }
    void gridGotFocus() override { add("gotFocus"); }
    void gridLeaveCell() override { add("leaveCell"); }
    void gridScroll() override { add("scroll"); }

    bool contains(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

private:
    void add(const std::string& what) {
        events.push_back(what + " at " + std::to_string(m_grid.row()) + "," +
                         std::to_string(m_grid.col()) + " top " + std::to_string(m_grid.topRow()));
    }
    GridModel& m_grid;
};

class GridViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        velmora::test::qtTestApp();
        ASSERT_TRUE(m_grid.setRows(1).isOk());
        ASSERT_TRUE(m_grid.setHeader({"", "Num", "NAME", "SID"}, CellAlignment::LeftCenter).isOk());
        for (int i = 1; i <= 60; ++i)
            ASSERT_TRUE(m_grid
                            .addItem("\t" + std::to_string(i) + "\tChannel " + std::to_string(i) +
                                     "\t" + std::to_string(1000 + i))
                            .isOk());
        ASSERT_TRUE(m_grid.setColWidth(0, 150).isOk());
        ASSERT_TRUE(m_grid.setColWidth(1, 720).isOk());
        ASSERT_TRUE(m_grid.setColWidth(2, 1440).isOk());
        ASSERT_TRUE(m_grid.setColWidth(3, 0).isOk());
        m_view = std::make_unique<GridView>(m_grid);
        m_view->resize(400, 300);
        m_view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
    }

    // Centre of the item showing grid cell (row, col), in viewport coordinates.
    QPoint cellCentre(int row, int col) const {
        return m_view->visualRect(m_view->tableModel()->indexForCell(row, col)).center();
    }

    GridModel m_grid;
    std::unique_ptr<GridView> m_view;
};

TEST_F(GridViewTest, WidthsAreTwipsAtTheLogicalDpi) {
    const int dpi = m_view->logicalDpiX();
    EXPECT_EQ(m_view->columnWidth(0), qRound(720 * dpi / 1440.0));
    EXPECT_EQ(m_view->columnWidth(1), dpi);  // 1440 twips are one inch
    EXPECT_TRUE(m_view->isColumnHidden(2)) << "width 0 hides the column";
    EXPECT_EQ(m_view->verticalHeader()->width(), qRound(150 * dpi / 1440.0));
    EXPECT_EQ(m_view->rowHeight(0), qRound(240 * m_view->logicalDpiY() / 1440.0));
    ASSERT_TRUE(m_grid.setColWidth(3, 2880).isOk());
    EXPECT_FALSE(m_view->isColumnHidden(2));
    EXPECT_EQ(m_view->columnWidth(2), 2 * dpi);
    ASSERT_TRUE(m_grid.setRowHeight(5, 480).isOk());
    EXPECT_EQ(m_view->rowHeight(4), qRound(480 * m_view->logicalDpiY() / 1440.0));
    EXPECT_EQ(m_view->pixelsToTwipsX(dpi), 1440);
}

TEST_F(GridViewTest, CurrentCellAndSelectionFollowTheModel) {
    ASSERT_TRUE(m_grid.setCurrentCell(3, 2).isOk());
    ASSERT_TRUE(m_grid.setRowSel(5).isOk());
    GridTableModel* model = m_view->tableModel();
    EXPECT_EQ(m_view->currentIndex(), model->index(2, 1));
    QItemSelectionModel* selection = m_view->selectionModel();
    EXPECT_TRUE(selection->isSelected(model->index(4, 1)));
    EXPECT_FALSE(selection->isSelected(model->index(5, 1)));
    EXPECT_FALSE(selection->isSelected(model->index(3, 0)));
    // Inserting a row above keeps the grid's numbers, and the view shows the same numbers.
    ASSERT_TRUE(m_grid.addItem("\tnew", 1).isOk());
    EXPECT_EQ(m_view->currentIndex(), model->index(2, 1));
    EXPECT_TRUE(selection->isSelected(model->index(4, 1)));
}

TEST_F(GridViewTest, LeftClickMovesTheCurrentCellAfterLeaveCell) {
    EventLog log(m_grid);
    const QPoint centre = cellCentre(4, 2);
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(m_grid.row(), 4);
    EXPECT_EQ(m_grid.col(), 2);
    EXPECT_TRUE(log.contains("leaveCell at 1,1 top 1"));
    EXPECT_TRUE(log.contains("mouseDown 1 0 at 4,2 top 1"));
    EXPECT_TRUE(log.contains("mouseUp 1 at 4,2 top 1"));
    // The position is in twips from the grid's top left corner, headers included.
    const QPoint inGrid = m_view->viewport()->mapTo(m_view.get(), centre);
    EXPECT_EQ(log.lastX, m_view->pixelsToTwipsX(inGrid.x()));
    EXPECT_EQ(log.lastY, m_view->pixelsToTwipsY(inGrid.y()));
    EXPECT_GT(log.lastY, m_grid.rowHeight(0));
}

TEST_F(GridViewTest, RightClickLeavesTheCurrentCell) {
    ASSERT_TRUE(m_grid.setCurrentCell(2, 1).isOk());
    EventLog log(m_grid);
    QTest::mouseClick(m_view->viewport(), Qt::RightButton, Qt::ShiftModifier, cellCentre(5, 2));
    EXPECT_EQ(m_grid.row(), 2);
    EXPECT_EQ(m_grid.col(), 1);
    EXPECT_TRUE(log.contains("mouseDown 2 1 at 2,1 top 1"));
    EXPECT_FALSE(log.contains("leaveCell at 2,1 top 1"));
}

TEST_F(GridViewTest, HeaderPressSelectsTheColumnBeforeMouseDown) {
    EventLog log(m_grid);
    QHeaderView* header = m_view->horizontalHeader();
    const QPoint onName(header->sectionViewportPosition(1) + header->sectionSize(1) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, onName);
    EXPECT_EQ(m_grid.selection(), (core::grid::CellRange{1, 2, 60, 2}));
    EXPECT_TRUE(log.contains("mouseDown 1 0 at 1,2 top 1"));
    EXPECT_LT(log.lastY, m_grid.rowHeight(0)) << "a press in the header row";
    // The handler's sort then works on that column.
    m_grid.sortGenericAscending();
    EXPECT_EQ(m_grid.textMatrix(1, 2), "Channel 1");
    EXPECT_EQ(m_grid.textMatrix(2, 2), "Channel 10");
}

TEST_F(GridViewTest, RowMarkerPressSelectsTheWholeRow) {
    QHeaderView* marker = m_view->verticalHeader();
    const QPoint onRow3(marker->width() / 2,
                        marker->sectionViewportPosition(2) + marker->sectionSize(2) / 2);
    QTest::mouseClick(marker->viewport(), Qt::LeftButton, Qt::NoModifier, onRow3);
    EXPECT_EQ(m_grid.selection(), (core::grid::CellRange{3, 1, 3, 3}));
}

TEST_F(GridViewTest, DoubleClickIsForwarded) {
    EventLog log(m_grid);
    // A real double click is a click followed by the double-click press.
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(2, 1));
    QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(2, 1));
    EXPECT_TRUE(log.contains("dblClick at 2,1 top 1")) << ::testing::PrintToString(log.events);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "mouseDown 1 0 at 2,1 top 1"), 1)
        << "the double-click press is no second mouse down";
}

TEST_F(GridViewTest, KeysAreVirtualKeyCodes) {
    struct Case {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int code;
    };
    const Case cases[] = {
        {Qt::Key_C, Qt::NoModifier, 67},       {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_Return, Qt::NoModifier, 13},  {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Escape, Qt::NoModifier, 27},  {Qt::Key_Down, Qt::NoModifier, 40},
        {Qt::Key_Up, Qt::NoModifier, 38},      {Qt::Key_5, Qt::NoModifier, 53},
        {Qt::Key_5, Qt::KeypadModifier, 101},  {Qt::Key_F2, Qt::NoModifier, 113},
        {Qt::Key_Control, Qt::NoModifier, 17}, {Qt::Key_Eacute, Qt::NoModifier, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GridView::virtualKeyCode(c.qtKey, c.modifiers), c.code) << c.qtKey;
    EXPECT_EQ(GridView::shiftMask(Qt::ShiftModifier | Qt::AltModifier), 5);

    EventLog log(m_grid);
    QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(m_view.get(), Qt::Key_Delete);
    EXPECT_TRUE(log.contains("keyUp 67 2 at 1,1 top 1"));
    EXPECT_TRUE(log.contains("keyUp 46 0 at 1,1 top 1"));
}

TEST_F(GridViewTest, ArrowKeysMoveThroughTheModelAndScrollWithAScrollEvent) {
    EventLog log(m_grid);
    QTest::keyClick(m_view.get(), Qt::Key_Down);
    EXPECT_EQ(m_grid.row(), 2);
    EXPECT_TRUE(log.contains("leaveCell at 1,1 top 1"));
    QTest::keyClick(m_view.get(), Qt::Key_Right);
    EXPECT_EQ(m_grid.col(), 2);
    QTest::keyClick(m_view.get(), Qt::Key_Right);
    EXPECT_EQ(m_grid.col(), 2) << "the hidden column is skipped";
    // Ctrl+End goes to the last row, which is out of view: the grid scrolls, and "scroll"
    // arrives while TopRow still holds the old value.
    QTest::keyClick(m_view.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(m_grid.row(), 60);
    EXPECT_GT(m_grid.topRow(), 1);
    EXPECT_TRUE(log.contains("scroll at 60,2 top 1"));
    EXPECT_EQ(m_view->verticalScrollBar()->value(), m_grid.topRow() - 1);
}

TEST_F(GridViewTest, ScrollBarAndTopRowStayInStep) {
    EventLog log(m_grid);
    m_view->verticalScrollBar()->setValue(10);
    EXPECT_EQ(m_grid.topRow(), 11);
    EXPECT_TRUE(log.contains("scroll at 1,1 top 1"));
    ASSERT_TRUE(m_grid.setTopRow(20).isOk());
    EXPECT_EQ(m_view->verticalScrollBar()->value(), 19);
    EXPECT_EQ(std::count_if(log.events.begin(), log.events.end(),
                            [](const std::string& e) { return e.rfind("scroll", 0) == 0; }),
              2);
    // Setting the current cell from code does not scroll.
    ASSERT_TRUE(m_grid.setRow(2).isOk());
    EXPECT_EQ(m_grid.topRow(), 20);
    EXPECT_EQ(m_view->verticalScrollBar()->value(), 19);
    // The last row made the top row goes only as far as the scroll bar: the model's top row
    // is the one the view shows, so a cell's place in twips is where the user sees it.
    ASSERT_TRUE(m_grid.setTopRow(60).isOk());
    EXPECT_LT(m_grid.topRow(), 60);
    EXPECT_EQ(m_view->verticalScrollBar()->value(), m_grid.topRow() - 1);
    EXPECT_EQ(m_view->verticalScrollBar()->value(), m_view->verticalScrollBar()->maximum());
    // A taller view shows more of the end: the top row moves up with the scroll bar.
    m_view->resize(400, 500);
    QTest::qWait(10);
    EXPECT_EQ(m_view->verticalScrollBar()->value(), m_grid.topRow() - 1);
}

TEST_F(GridViewTest, UserResizingReachesTheModelOnlyWhenAllowed) {
    QHeaderView* header = m_view->horizontalHeader();
    const int inch = m_view->logicalDpiX();
    EXPECT_EQ(header->sectionResizeMode(0), QHeaderView::Fixed);
    header->resizeSection(0, inch);  // as a border drag does
    EXPECT_EQ(m_grid.colWidth(1), 720) << "resizing is off";
    m_grid.setAllowUserResizing(core::grid::UserResizing::Columns);
    EXPECT_EQ(header->sectionResizeMode(0), QHeaderView::Interactive);
    header->resizeSection(0, inch);
    EXPECT_EQ(m_grid.colWidth(1), 1440);
}

TEST_F(GridViewTest, FocusIsForwarded) {
    EventLog log(m_grid);
    QWidget other;
    other.show();
    other.activateWindow();
    m_view->activateWindow();
    m_view->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(m_view->hasFocus());
    EXPECT_TRUE(log.contains("gotFocus at 1,1 top 1"));
}

}  // namespace
}  // namespace velmora::qt
