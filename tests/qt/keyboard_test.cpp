// A keyboard user in the real main window on the offscreen platform: F2 on the grid opens
// the editor over the current cell, the typed name goes in with Enter, Ctrl+S stores it with
// "Save Fav. Channels" and F5 reloads the channel list from the file, without the mouse.
#include <gtest/gtest.h>

#include <QTest>

#include <vector>

#include "core/app/main_shortcuts.h"
#include "core/favourites/save_fav_channels.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "qt/editing_window.h"
#include "qt/grid_view.h"
#include "qt/main_shortcuts.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

TEST(Keyboard, EveryShortcutHasItsQtKeySequence) {
    for (const auto& shortcut : core::app::mainShortcuts()) {
        EXPECT_EQ(qt::keySequence(shortcut.keyCode, shortcut.shift).toString(),
                  QString::fromUtf8(shortcut.keyName.data(),
                                    static_cast<qsizetype>(shortcut.keyName.size())));
    }
    EXPECT_EQ(qt::keySequence(core::grid::vk::kF1 + 2, core::form::kShiftMask).toString(),
              "Shift+F3");
    EXPECT_TRUE(qt::keySequence(core::grid::vk::kDelete, 0).isEmpty());
}

TEST(Keyboard, FindEditAndSaveAChannelWithoutTheMouse) {
    EditingWindow w;
    ASSERT_TRUE(w.start());
    EditingSession& s = w.s;
    qt::GridView* grid = w.grid();
    QLineEdit* edit = w.textEditor();
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(edit, nullptr);
    grid->setFocus();
    const int row = s.rowOf("ORF2");
    ASSERT_GT(row, 0);
    s.grid().userSelectCell(row, col::kName, false);

    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_TRUE(edit->isVisible());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->text(), "ORF2");
    edit->selectAll();
    QTest::keyClicks(edit, "ORF 2 HD");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_TRUE(s.app().state().FavDirty);

    QTest::keyClick(grid, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(s.app().state().FavDirty);
    // Only the file can bring the name back after the grid forgot it.
    ASSERT_TRUE(s.grid().setTextMatrix(row, col::kName, "forgotten").isOk());
    s.app().state().FavDirty = false;
    QTest::keyClick(grid, Qt::Key_F5);
    EXPECT_GT(s.rowOf("ORF 2 HD"), 0);
    EXPECT_EQ(s.rowOf("ORF2"), -1);
    EXPECT_TRUE(w.window->close());
}

// Ctrl+C copies when C goes down with Ctrl held, once, whichever of the two keys the user
// lets go first; C alone copies nothing.
TEST(Keyboard, CtrlCCopiesOnThePressWhicheverKeyIsReleasedFirst) {
    EditingWindow w;
    ASSERT_TRUE(w.start());
    EditingSession& s = w.s;
    qt::GridView* grid = w.grid();
    ASSERT_NE(grid, nullptr);
    grid->setFocus();
    const int row = s.rowOf("ORF2");
    ASSERT_GT(row, 0);
    s.grid().userSelectCell(row, col::kName, false);

    enum Step { CtrlDown, CDown, CtrlUp, CUp };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        bool copies;
    };
    const Case cases[] = {
        {"C released first", {CtrlDown, CDown, CUp, CtrlUp}, true},
        {"Ctrl released first", {CtrlDown, CDown, CtrlUp, CUp}, true},
        {"C without Ctrl", {CDown, CUp}, false},
        {"Ctrl pressed after C", {CDown, CtrlDown, CUp, CtrlUp}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s.ports().clear();
        bool ctrl = false;
        bool copiedOnPress = false;
        for (const Step step : c.steps) {
            const Qt::KeyboardModifiers held = ctrl ? Qt::ControlModifier : Qt::NoModifier;
            switch (step) {
                case CtrlDown:
                    QTest::keyPress(grid, Qt::Key_Control, Qt::ControlModifier);
                    ctrl = true;
                    break;
                case CDown:
                    QTest::keyPress(grid, Qt::Key_C, held);
                    copiedOnPress = s.ports().clipboardText().has_value();
                    // A second copy on a release would show here again.
                    s.ports().clear();
                    break;
                case CtrlUp:
                    QTest::keyRelease(grid, Qt::Key_Control, Qt::NoModifier);
                    ctrl = false;
                    break;
                case CUp:
                    QTest::keyRelease(grid, Qt::Key_C, held);
                    break;
            }
        }
        EXPECT_EQ(copiedOnPress, c.copies);
        EXPECT_FALSE(s.ports().clipboardText().has_value()) << "copied again on a release";
    }
    EXPECT_TRUE(w.window->close());
}

}  // namespace
}  // namespace velmora::test
