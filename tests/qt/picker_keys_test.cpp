// The group picker List4 in the real main window on the offscreen platform: the button
// "Put Select in group..." shows it where the core placed it, with the keyboard focus and no
// selection; a Down key is the list's click and puts the first group into the selected rows.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/favourites/put_select_in_group.h"
#include "core/views/channel_list.h"
#include "qt/first_paint.h"
#include "qt/form_widgets.h"
#include "qt/main_window.h"
#include "qt/overlay_editing.h"
#include "qt/picker_keys.h"
#include "qt/ports_qt_app.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;
namespace fav = core::favourites;

TEST(GroupPickerKeys, ButtonShowsThePickerAndADownKeyAppliesTheFirstGroup) {
    qtTestApp();
    AppSession s;
    s.storeSetting(core::app::SettingKey::Language, "eng");
    s.storeSetting(core::app::SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
    fav::installPutSelectInGroup(s.app());
    qt::MainWindow window(s.app());
    qt::installOverlayEditing(window, s.app());
    qt::installGroupPickerKeys(window, s.app());
    ASSERT_TRUE(s.app().start());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(waitForFirstPaint(s.app()));
    ASSERT_EQ(s.app().state().CurrentView, "Favkanal");

    // Ö1 (num 3) has no group.
    int row = 1;
    while (row < s.app().grid().rows() && s.cell(row, col::kName) != "Ö1")
        ++row;
    ASSERT_LT(row, s.app().grid().rows());
    ASSERT_TRUE(s.app().grid().setRow(row).isOk());
    ASSERT_TRUE(s.app().grid().setRowSel(row).isOk());

    qt::FormWidgets& w = window.widgets();
    auto* button = qobject_cast<QPushButton*>(w.widget(fav::kPutSelectButton));
    auto* picker = qobject_cast<QListWidget*>(w.widget(fav::kGroupPicker));
    ASSERT_NE(button, nullptr);
    ASSERT_NE(picker, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->geometry(), QRect(w.twipsToPixelsX(3000), w.twipsToPixelsY(2000),
                                        w.twipsToPixelsX(2000), w.twipsToPixelsY(2200)));
    EXPECT_TRUE(picker->hasFocus());
    EXPECT_EQ(picker->currentRow(), -1);
    EXPECT_EQ(picker->count(), 3);

    QTest::keyClick(picker, Qt::Key_Down);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(s.cell(row, col::kFavorite), picker->item(0)->text().toStdString());
    EXPECT_EQ(s.cell(row, col::kFNum), "3");
    EXPECT_TRUE(s.app().state().FavDirty);
    EXPECT_TRUE(button->hasFocus());

    s.ports().expectMessage(core::ports::MessageAnswer::No);  // the save question on closing
    EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace velmora::test
