// The keyboard's way to everything the mouse does on the main window: F2 opens the editor a
// double click opens, the context-menu key and Shift+F10 open the row-command popup where a
// right press in the row-marker column opens it, and the main window's shortcuts click
// their buttons after the focus has finished an open edit.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/app/main_form.h"
#include "core/app/main_shortcuts.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

namespace controls = core::app::control;
namespace vk = core::grid::vk;
namespace views = core::views;
namespace editing = core::editing;
namespace col = views::channel_col;
using core::form::EventKind;

constexpr int kF2 = vk::kF1 + 1;
constexpr int kF10 = vk::kF1 + 9;
using core::form::kShiftMask;
constexpr int kCtrl = core::form::kCtrlMask;

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(s.startOn(s.addDatabase("WinSTB.mdb"))); }

    // Which overlay is open, and where, or "" when none is.
    std::string openOverlay() {
        for (const char* name :
             {controls::kTextEditor, controls::kGroupList, controls::kRowPopup}) {
            if (s.visible(name))
                return name;
        }
        return "";
    }
    void closeOverlay() {
        const std::string open = openOverlay();
        if (!open.empty())
            s.key(open, vk::kEscape);
        ASSERT_EQ(openOverlay(), "");
    }
    void pressOnGrid(int row, int col, int keyCode, int shift) {
        s.focusGrid();
        s.grid().userSelectCell(row, col, false);
        s.grid().raiseKeyDown(keyCode, shift);
    }
    void mainKey(int keyCode, int shift) {
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.kind = EventKind::KeyDown;
        e.keyCode = keyCode;
        e.shift = shift;
        s.app().dispatcher().dispatch(e);
    }

    EditingSession s;
};

TEST_F(KeyboardTest, F2OpensWhatADoubleClickOpensOverTheSameCell) {
    struct Case {
        const char* view;
        int col;
        std::string editor;  // expected for both
    };
    const Case cases[] = {
        {core::app::kViewChannelList, col::kName, controls::kTextEditor},
        {core::app::kViewChannelList, col::kNum, controls::kTextEditor},
        {core::app::kViewChannelList, col::kFavorite, controls::kGroupList},
        {core::app::kViewChannelList, col::kSource, ""},
        {core::app::kViewDuplicates, col::kName, ""},
        {core::app::kViewFavorites, col::kName, ""},  // only "Nummer" edits there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.view) + " column " + std::to_string(c.col));
        s.app().state().CurrentView = c.view;
        s.dblClick(3, c.col);
        const std::string byMouse = openOverlay();
        const auto mouseRect = byMouse.empty() ? core::form::TwipRect{} : s.control(byMouse).rect;
        closeOverlay();

        pressOnGrid(3, c.col, kF2, 0);
        EXPECT_EQ(openOverlay(), c.editor);
        EXPECT_EQ(byMouse, c.editor);
        if (!c.editor.empty()) {
            EXPECT_EQ(s.control(c.editor).rect, mouseRect);
            EXPECT_EQ(s.app().dispatcher().focusControl(), c.editor);
        }
        closeOverlay();
        // With a modifier F2 is some other key.
        pressOnGrid(3, c.col, kF2, kShiftMask);
        EXPECT_EQ(openOverlay(), "");
    }
    s.app().state().CurrentView = core::app::kViewChannelList;
}

TEST_F(KeyboardTest, ContextMenuKeyAndShiftF10OpenThePopupAtTheCurrentCell) {
    // Beside the current cell's corner, as the grid is scrolled now.
    const auto& grid = s.grid();
    const core::form::TwipRect gridAt = s.control(controls::kMainGrid).rect;

    struct Case {
        const char* view;
        int keyCode;
        int shift;
        bool opens;
    };
    const Case cases[] = {
        {core::app::kViewChannelList, vk::kApps, 0, true},
        {core::app::kViewChannelList, kF10, kShiftMask, true},
        {core::app::kViewChannelList, kF10, 0, false},
        {core::app::kViewChannelList, vk::kApps, kCtrl, false},
        {core::app::kViewFavorites, vk::kApps, 0, false},
        {core::app::kViewFavorites, kF10, kShiftMask, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.view) + " key " + std::to_string(c.keyCode));
        s.app().state().CurrentView = c.view;
        // The current cell is in the FAVORITE column: the popup, not the group list, opens.
        pressOnGrid(3, col::kFavorite, c.keyCode, c.shift);
        EXPECT_EQ(openOverlay(), c.opens ? controls::kRowPopup : "");
        if (c.opens) {
            const core::form::TwipRect popup = s.control(controls::kRowPopup).rect;
            EXPECT_EQ(popup.left, gridAt.left + grid.cellLeft() - editing::kPopupLeftShift);
            EXPECT_EQ(popup.top, gridAt.top + grid.cellTop() + editing::kPopupDownShift);
            EXPECT_EQ(grid.row(), 3) << "the keyboard keeps the current row";
        }
        closeOverlay();
    }
    s.app().state().CurrentView = core::app::kViewChannelList;
}

TEST_F(KeyboardTest, ShortcutsClickTheirButtonsOnlyWhileTheButtonTakesClicks) {
    std::map<std::string, int> clicks;
    std::vector<core::form::Dispatcher::Connection> recorders;
    for (const auto& shortcut : core::app::mainShortcuts()) {
        const std::string control(shortcut.control);
        if (control.empty())
            continue;  // a named command (the find keys), tested with its command
        ASSERT_TRUE(s.form().hasControl(control)) << shortcut.keyName;
        recorders.push_back(s.app().dispatcher().on(
            core::app::kMainFormName, control, EventKind::Click,
            [&clicks, control](const core::form::Event&) { ++clicks[control]; }));
    }
    for (const auto& shortcut : core::app::mainShortcuts()) {
        const std::string control(shortcut.control);
        if (control.empty())
            continue;
        SCOPED_TRACE(std::string(shortcut.keyName));
        const std::string frame = s.control(control).container;
        s.form().setEnabled(control, true);
        mainKey(shortcut.keyCode, shortcut.shift);
        EXPECT_EQ(clicks[control], 1);
        EXPECT_EQ(s.app().dispatcher().focusControl(), control);
        mainKey(shortcut.keyCode, shortcut.shift ^ kShiftMask);  // other modifiers: another key
        s.form().setEnabled(control, false);
        mainKey(shortcut.keyCode, shortcut.shift);
        s.form().setEnabled(control, true);
        s.form().setVisible(frame, false);
        mainKey(shortcut.keyCode, shortcut.shift);
        s.form().setVisible(frame, true);
        EXPECT_EQ(clicks[control], 1);
    }
    EXPECT_EQ(core::app::findMainShortcut('Q', kCtrl), nullptr);
    EXPECT_EQ(core::app::findMainShortcut('S', kCtrl)->control, "Command7");
}

TEST_F(KeyboardTest, CtrlSFinishesTheOpenEditBeforeSaveFavChannelsRuns) {
    std::vector<std::string> seenBySave;
    const auto recorder = s.app().dispatcher().on(
        core::app::kMainFormName, "Command7", EventKind::Click, [&](const core::form::Event&) {
            seenBySave.push_back(s.cell(3, col::kName));
            seenBySave.push_back(s.app().state().FavDirty ? "dirty" : "clean");
            seenBySave.push_back(s.visible(controls::kTextEditor) ? "open" : "shut");
        });
    s.form().setEnabled("Command7", true);
    s.dblClick(3, col::kName);
    ASSERT_TRUE(s.visible(controls::kTextEditor));
    s.type("ZDF HD");
    mainKey('S', kCtrl);
    EXPECT_EQ(seenBySave, (std::vector<std::string>{"ZDF HD", "dirty", "shut"}));
}

}  // namespace
}  // namespace velmora::test
