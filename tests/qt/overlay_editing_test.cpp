// The grid's text editor in the real main window on the offscreen platform: a double click
// on a cell opens Text1 over that cell with the keyboard focus, Escape closes it and gives
// the grid the focus without changing the cell, typed text and Enter put the text into the
// cell.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "core/views/channel_list.h"
#include "qt/form_widgets.h"
#include "qt/grid_table_model.h"
#include "qt/grid_view.h"
#include "qt/main_window.h"
#include "qt/overlay_editing.h"
#include "qt/ports_qt_app.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

TEST(OverlayEditing, TextEditorOpensOverTheDoubleClickedCellAndEscapeClosesIt) {
    qtTestApp();
    EditingSession s;
    s.storeSetting(core::app::SettingKey::Language, "eng");
    s.storeSetting(core::app::SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
    core::editing::installGridEditing(s.app());
    qt::MainWindow window(s.app());
    qt::installOverlayEditing(window, s.app());
    ASSERT_TRUE(s.app().start());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (int i = 0; i < 200 && s.app().state().FirstPaintPending; ++i)
        QTest::qWait(10);
    ASSERT_FALSE(s.app().state().FirstPaintPending);

    auto* grid = qobject_cast<qt::GridView*>(window.widgets().widget("MSFlexGrid1"));
    auto* edit = qobject_cast<QLineEdit*>(window.widgets().widget("Text1"));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(edit, nullptr);
    const int row = s.rowOf("ORF2");
    const QModelIndex index = grid->tableModel()->indexForCell(row, col::kName);
    const QPoint center = grid->visualRect(index).center();
    const QPoint inWindow = grid->viewport()->mapTo(&window, center);

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
    EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace velmora::test
