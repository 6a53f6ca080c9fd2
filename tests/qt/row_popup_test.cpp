// The row-command popup in the real main window on the offscreen platform, over a demo
// database: wherever the grid was scrolled to by a command (AddNew in the groups view, a
// paste at the end of a table), the popup opens where the user looks, inside the grid, at
// the current cell for the keyboard and at the press for the mouse; a right press on another
// row's marker makes that row the selected one first; and a key pressed after a command from
// the popup goes to the grid, never to a popup nobody sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "qt/grid_table_model.h"
#include "qt_program.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

QListWidget* popupOf(QtProgram& p) {
    return qobject_cast<QListWidget*>(p.window->widgets().widget("List3"));
}

// The place of a grid row's marker cell, in the vertical header's viewport.
QPoint markerPoint(QtProgram& p, int row) {
    qt::GridView* grid = p.grid();
    QHeaderView* marker = grid->verticalHeader();
    const int item = row - grid->tableModel()->rowOffset();
    return {marker->width() / 2,
            marker->sectionViewportPosition(item) + marker->sectionSize(item) / 2};
}

// A window point of a cell of the grid as the view shows it now.
QRect cellInWindow(QtProgram& p, int row, int col) {
    qt::GridView* grid = p.grid();
    const QRect r = grid->visualRect(grid->tableModel()->indexForCell(row, col));
    return QRect(grid->viewport()->mapTo(p.window.get(), r.topLeft()), r.size());
}

void choosePopupEntry(QtProgram& p, int position) {
    QListWidget* popup = popupOf(p);
    ASSERT_TRUE(popup->isVisible());
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::NoModifier,
                      popup->visualItemRect(popup->item(position)).center());
}

void showTable(QtProgram& p, const std::string& table) {
    const auto& tables = p.app->mainForm().control("List1").items;
    const auto it = std::find(tables.begin(), tables.end(), table);
    ASSERT_NE(it, tables.end()) << table;
    p.app->mainForm().setListIndex("List1", static_cast<int>(it - tables.begin()));
    p.button("Command2")->click();
    ASSERT_EQ(p.app->state().CurrentView, table);
}

enum class Opening { Keyboard, MarkerPress };

struct Case {
    const char* what;
    std::function<void(QtProgram&)> prepare;
    Opening opening;
    // For a press: the grid row whose marker is pressed, counted from the top row shown
    // (0 the first, -1 the last whole row shown).
    int shownRow = 0;
};

TEST(RowPopupQt, OpensVisiblyAtTheCurrentCellOrThePressAndActsOnThePressedRow) {
    const Case cases[] = {
        {"Shift+F10 after AddNew in the groups view",
         [](QtProgram& p) {
             p.button("Command6")->click();  // Edit Favorite Groups
             QTest::mouseClick(p.grid()->verticalHeader()->viewport(), Qt::RightButton,
                               Qt::NoModifier, markerPoint(p, 1));
             choosePopupEntry(p, 1);  // AddNew
         },
         Opening::Keyboard},
        {"Shift+F10 after a paste at the end of a table",
         [](QtProgram& p) {
             showTable(p, "SETTINGS");
             std::string rows;
             for (int i = 1; i <= 40; ++i)
                 rows += "Pasted" + std::to_string(i) + "\tvalue\r\n";
             p.scripted.setText(rows);
             QTest::mouseClick(p.grid()->verticalHeader()->viewport(), Qt::RightButton,
                               Qt::NoModifier, markerPoint(p, 1));
             choosePopupEntry(p, 3);  // Paste
         },
         Opening::Keyboard},
        {"a right press on the marker of a lower row", [](QtProgram&) {}, Opening::MarkerPress, 5},
        {"a right press on the marker of the last row shown", [](QtProgram&) {},
         Opening::MarkerPress, -1},
    };

    TempFolder dir("velmora-popup-qt-");
    int made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A file of its own for each case: the commands change it.
        const fs::path file = dir.path() / ("WinSTB" + std::to_string(++made) + ".mdb");
        if (!writeDemoDatabase(file, 120))
            GTEST_SKIP() << "velmora-db could not write a demo database in "
                         << velmora::test::binDir();
        QtProgram p(dir.path(), file);
        ASSERT_TRUE(p.start());
        core::grid::GridModel& g = p.app->grid();
        qt::GridView* grid = p.grid();
        QListWidget* popup = popupOf(p);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(p.window.get()));
        grid->setFocus();
        ASSERT_TRUE(g.setCurrentCell(2, 2).isOk());
        c.prepare(p);
        ASSERT_FALSE(HasFatalFailure());

        // After the command the popup is gone and the keys are the grid's again: Down moves
        // the row and asks nothing (no message is expected, so none may come).
        EXPECT_FALSE(popup->isVisible());
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus, grid);
        QTest::keyClick(focus, Qt::Key_Down);
        EXPECT_TRUE(p.scripted.messages().empty()) << p.scripted.messages().front().text;

        QPoint anchor;
        int expectedRow = g.row();
        if (c.opening == Opening::Keyboard) {
            QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
            // The current cell is where the view shows it, and the popup opens on it.
            const QRect cell = cellInWindow(p, g.row(), g.col());
            EXPECT_TRUE(grid->viewport()->rect().contains(
                grid->viewport()->mapFrom(p.window.get(), cell.center())))
                << "the current row is shown";
            anchor = cell.topLeft();
        } else {
            QHeaderView* marker = grid->verticalHeader();
            const int shown = grid->rowAt(grid->viewport()->height() - 1);
            const int lastWhole = (shown < 0 ? grid->tableModel()->rowCount() : shown) - 1;
            const int firstItem = grid->rowAt(0);
            const int item = c.shownRow >= 0 ? firstItem + c.shownRow : lastWhole;
            expectedRow = item + grid->tableModel()->rowOffset();
            ASSERT_NE(expectedRow, g.row()) << "the press must be on another row";
            const QPoint press = markerPoint(p, expectedRow);
            QTest::mouseClick(marker->viewport(), Qt::RightButton, Qt::NoModifier, press);
            anchor = marker->viewport()->mapTo(p.window.get(), press);
        }

        ASSERT_TRUE(popup->isVisible())
            << "the core's List3 "
            << (p.app->mainForm().control("List3").visible ? "shown" : "hidden") << ", focus on "
            << p.app->dispatcher().focusControl() << ", row " << g.row() << "-" << g.rowSel()
            << " of " << g.rows() << ", top " << g.topRow() << ", pressed row " << g.mouseRow()
            << " expected " << expectedRow << " in " << p.app->state().CurrentView;
        EXPECT_TRUE(popup->hasFocus());
        const QRect shownAt = popup->geometry();
        const QRect gridAt = grid->geometry();
        // Twips become pixels one by one: a pixel of rounding either way.
        EXPECT_TRUE(gridAt.adjusted(-1, -1, 1, 1).contains(shownAt))
            << "popup " << shownAt.x() << "," << shownAt.y() << " " << shownAt.width() << "x"
            << shownAt.height() << " outside the grid " << gridAt.x() << "," << gridAt.y() << " "
            << gridAt.width() << "x" << gridAt.height();
        // Opened at its anchor, unless the grid's edge moved it up or left.
        const int rowPixels = grid->rowHeight(0);
        if (shownAt.bottom() < gridAt.bottom()) {
            EXPECT_LE(std::abs(shownAt.top() - anchor.y()), rowPixels) << anchor.y();
        }
        EXPECT_LE(std::abs(shownAt.left() - anchor.x()), rowPixels) << anchor.x();
        // The commands act on the row pressed: it is the current one, selected whole.
        EXPECT_EQ(g.row(), expectedRow);
        if (c.opening == Opening::MarkerPress) {
            EXPECT_EQ(g.rowSel(), expectedRow);
            EXPECT_EQ(g.colSel(), g.cols() - 1);
        }

        QTest::keyClick(popup, Qt::Key_Escape);
        EXPECT_FALSE(popup->isVisible());
        EXPECT_TRUE(p.window->close());
    }
}

}  // namespace
}  // namespace velmora::test
