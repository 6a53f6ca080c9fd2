// The grid's text editor in the real main window on the offscreen platform: a double click
// on a cell opens Text1 over that cell with the keyboard focus, Escape closes it and gives
// the grid the focus without changing the cell, typed text and Enter put the text into the
// cell.
#include <gtest/gtest.h>

#include <QTest>

#include "core/views/channel_list.h"
#include "qt/editing_window.h"
#include "qt/grid_table_model.h"
#include "qt/grid_view.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

TEST(OverlayEditing, TextEditorOpensOverTheDoubleClickedCellAndEscapeClosesIt) {
    EditingWindow w;
    ASSERT_TRUE(w.start());
    EditingSession& s = w.s;
    qt::GridView* grid = w.grid();
    QLineEdit* edit = w.textEditor();
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(edit, nullptr);
    const int row = s.rowOf("ORF2");
    const QModelIndex index = grid->tableModel()->indexForCell(row, col::kName);
    const QPoint center = grid->visualRect(index).center();
    const QPoint inWindow = grid->viewport()->mapTo(w.window.get(), center);

    // A double click: the first press picks the cell, the second is the double click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, center);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, center);
    ASSERT_TRUE(edit->isVisible());
    EXPECT_TRUE(edit->geometry().contains(inWindow))
        << edit->geometry().x() << "," << edit->geometry().y() << " " << edit->width() << "x"
        << edit->height() << " does not cover " << inWindow.x() << "," << inWindow.y();
    EXPECT_EQ(edit->text(), "ORF2");
    EXPECT_TRUE(edit->hasFocus());

    QTest::keyClicks(edit, "X");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(s.cell(row, col::kName), "ORF2");
    EXPECT_FALSE(s.app().state().FavDirty);

    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, center);
    ASSERT_TRUE(edit->isVisible());
    edit->selectAll();
    QTest::keyClicks(edit, "ZDF");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(s.cell(row, col::kName), "ZDF");
    EXPECT_TRUE(s.app().state().FavDirty);
    EXPECT_EQ(grid->tableModel()->data(index).toString(), "ZDF");

    s.ports().expectMessage(core::ports::MessageAnswer::No);  // the save question on closing
    EXPECT_TRUE(w.window->close());
}

}  // namespace
}  // namespace velmora::test
