// In-place editing of the channel list and of the other views, driven as a user drives it:
// double clicks and right presses on the grid, typing and keys in the overlays, focus
// returns, leaving the cell and scrolling.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "core/app/cell_writer.h"
#include "core/app/command_registry.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "core/views/view_entry.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

namespace controls = core::app::control;
namespace vk = core::grid::vk;
namespace views = core::views;
namespace col = views::channel_col;
using core::form::TwipRect;
using core::ports::MessageAnswer;
using core::ports::MessageButtons;
using core::ports::MessageIcon;

// The channel list at the design window size: the grid at 2040/120, columns 0..6 of 150,
// 450, 700, 1382, 1978, 1484 and 500 twips, rows of 240.
constexpr int kGridLeft = 2040;
constexpr int kGridTop = 120;
constexpr int kColLeft[] = {0, 150, 600, 1300, 2682, 4660, 6144};
constexpr int kRowHeight = 240;

class GridEditingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(s.startOn(s.addDatabase("WinSTB.mdb"))); }
    EditingSession s;
};

TEST_F(GridEditingTest, TextEditorOverTheCellEscapeAndUnchangedEnterChangeNothing) {
    const int r = s.rowOf("ORF1");
    ASSERT_EQ(r, 1);
    ASSERT_TRUE(s.grid().setTextMatrix(r, col::kName, " ORF1 ").isOk());

    s.dblClick(r, col::kName);
    ASSERT_TRUE(s.visible(controls::kTextEditor));
    EXPECT_EQ(s.control(controls::kTextEditor).text, "ORF1");
    EXPECT_EQ(s.control(controls::kTextEditor).rect,
              (TwipRect{kGridLeft + kColLeft[4], kGridTop + kRowHeight, 1978, kRowHeight}));
    EXPECT_EQ(s.app().dispatcher().focusControl(), controls::kTextEditor);

    s.type("ARD");
    s.key(controls::kTextEditor, vk::kEscape);
    EXPECT_FALSE(s.visible(controls::kTextEditor));
    EXPECT_EQ(s.app().dispatcher().focusControl(), controls::kMainGrid);
    EXPECT_EQ(s.cell(r, col::kName), " ORF1 ");
    EXPECT_FALSE(s.app().state().FavDirty);

    // Unchanged: the cell gets its trimmed text back and nothing counts as a change.
    s.dblClick(r, col::kName);
    s.key(controls::kTextEditor, vk::kReturn);
    EXPECT_FALSE(s.visible(controls::kTextEditor));
    EXPECT_EQ(s.cell(r, col::kName), "ORF1");
    EXPECT_FALSE(s.app().state().FavDirty);

    // A trailing blank is a change.
    s.dblClick(r, col::kName);
    s.type("ORF1 ");
    s.key(controls::kTextEditor, vk::kReturn);
    EXPECT_EQ(s.cell(r, col::kName), "ORF1 ");
    EXPECT_TRUE(s.app().state().FavDirty);
}

TEST_F(GridEditingTest, DownAndUpFinishInTheirOwnRowAndStopAtTheEnds) {
    const int last = s.grid().rows() - 1;
    s.dblClick(last - 1, col::kName);
    s.type("Prev");
    s.key(controls::kTextEditor, vk::kDown);
    EXPECT_EQ(s.cell(last - 1, col::kName), "Prev");
    EXPECT_EQ(s.grid().row(), last);

    s.dblClick(last, col::kName);
    s.type("Last");
    s.key(controls::kTextEditor, vk::kDown);
    EXPECT_FALSE(s.visible(controls::kTextEditor));
    EXPECT_EQ(s.cell(last, col::kName), "Last");
    EXPECT_EQ(s.grid().row(), last);

    s.dblClick(2, col::kNum);
    s.type("12");
    s.key(controls::kTextEditor, vk::kUp);
    EXPECT_EQ(s.cell(2, col::kNum), "12");
    EXPECT_EQ(s.grid().row(), 1);

    s.dblClick(1, col::kNum);
    s.type("11");
    s.key(controls::kTextEditor, vk::kUp);
    EXPECT_EQ(s.cell(1, col::kNum), "11");
    EXPECT_EQ(s.grid().row(), 1);
    EXPECT_EQ(s.cell(2, col::kNum), "12");
}

TEST_F(GridEditingTest, GroupListChoicesAndTheFNumRules) {
    // List2 holds News, Sport, Kids and the no-group marker.
    ASSERT_EQ(s.control(controls::kGroupList).items,
              (std::vector<std::string>{"News", "Sport", "Kids", "ZZZZ"}));
    const int orf1 = s.rowOf("ORF1");
    s.dblClick(orf1, col::kFavorite);
    ASSERT_TRUE(s.visible(controls::kGroupList));
    EXPECT_EQ(s.control(controls::kGroupList).listIndex, 0);
    EXPECT_EQ(s.control(controls::kGroupList).rect,
              (TwipRect{kGridLeft + kColLeft[5], kGridTop + orf1 * kRowHeight,
                        s.grid().colWidth(col::kFavorite) + s.grid().colWidth(col::kFNum) + 180,
                        4 * kRowHeight}));
    // "ZZZZ" for a row with a group, closed by a click: the position goes too.
    s.pick(controls::kGroupList, 3);
    EXPECT_FALSE(s.visible(controls::kGroupList));
    EXPECT_EQ(s.cell(orf1, col::kFavorite), "ZZZZ");
    EXPECT_EQ(s.cell(orf1, col::kFNum), "ZZZ");
    EXPECT_TRUE(s.app().state().FavDirty);

    // A group for a row without a position: the position becomes the channel number.
    const int oe1 = s.rowOf("Ö1");
    s.dblClick(oe1, col::kFavorite);
    EXPECT_EQ(s.control(controls::kGroupList).listIndex, 3);
    s.form().setListIndex(controls::kGroupList, 2);
    s.key(controls::kGroupList, vk::kReturn);
    EXPECT_EQ(s.cell(oe1, col::kFavorite), "Kids");
    EXPECT_EQ(s.cell(oe1, col::kFNum), s.cell(oe1, col::kNum));

    // On a "ZZZZ" cell the group chosen last is preselected; Escape changes nothing.
    const int empty = s.rowOf("(empty)");
    s.dblClick(empty, col::kFavorite);
    EXPECT_EQ(s.control(controls::kGroupList).listIndex, 2);
    s.key(controls::kGroupList, vk::kEscape);
    EXPECT_FALSE(s.visible(controls::kGroupList));
    EXPECT_EQ(s.cell(empty, col::kFavorite), "ZZZZ");
    EXPECT_EQ(s.cell(empty, col::kFNum), "ZZZ");

    // Leaving the cell applies only the second rule: "ZZZZ" keeps the old position.
    const int orf2 = s.rowOf("ORF2");
    s.dblClick(orf2, col::kFavorite);
    s.form().setListIndex(controls::kGroupList, 3);
    s.grid().userSelectCell(orf2, col::kName, false);
    EXPECT_FALSE(s.visible(controls::kGroupList));
    EXPECT_EQ(s.cell(orf2, col::kFavorite), "ZZZZ");
    EXPECT_EQ(s.cell(orf2, col::kFNum), "2");

    // Scrolling finishes too, in the row the list was opened on.
    const int radio = s.rowOf("Radio X");
    s.dblClick(radio, col::kFavorite);
    s.form().setListIndex(controls::kGroupList, 1);
    s.grid().userScrollTo(2, 1);
    EXPECT_EQ(s.cell(radio, col::kFavorite), "Sport");
    EXPECT_EQ(s.cell(radio, col::kFNum), s.cell(radio, col::kNum));
}

TEST(GridEditingWindowEdge, GroupListTallerThanTheRoomBelowIsShortened) {
    EditingSession s;
    const std::string path = s.addDatabase("WinSTB.mdb", {}, [](engine::store::Database& db) {
        auto groups = db.table("FAVNAME");
        ASSERT_TRUE(groups.isOk());
        for (int i = 0; i < 25; ++i)
            (*groups)->append({engine::store::Value("Group " + std::to_string(i)),
                               engine::store::Value(int64_t{10 + i})});
    });
    ASSERT_TRUE(s.startOn(path));
    ASSERT_EQ(s.control(controls::kGroupList).items.size(), 29u);
    s.dblClick(1, col::kFavorite);
    const int top = kGridTop + kRowHeight;
    // It would end at top + 29 cells, far below the window's 5448 twips.
    EXPECT_EQ(s.control(controls::kGroupList).rect.top, top);
    EXPECT_EQ(s.control(controls::kGroupList).rect.height, 5448 - top - kRowHeight);
}

TEST_F(GridEditingTest, RightAndLeftPressesOpenTheListsOrSort) {
    // A right press anywhere in the data area opens the group list over the current cell.
    s.grid().userSelectCell(3, col::kFavorite, false);
    s.rightPress(kColLeft[2] + 10, 6 * kRowHeight + 10);
    ASSERT_TRUE(s.visible(controls::kGroupList));
    EXPECT_EQ(s.control(controls::kGroupList).rect.left, kGridLeft + kColLeft[5]);
    EXPECT_EQ(s.control(controls::kGroupList).rect.top, kGridTop + 3 * kRowHeight);
    s.key(controls::kGroupList, vk::kEscape);

    // In the marker column of another row: that row is selected whole first, and the popup
    // opens at the press, one cell height per entry.
    s.rightPress(100, 2 * kRowHeight + 10);
    ASSERT_TRUE(s.visible(controls::kRowPopup));
    EXPECT_EQ(s.grid().row(), 2);
    EXPECT_EQ(s.grid().colSel(), s.grid().cols() - 1);
    EXPECT_EQ(s.control(controls::kRowPopup).rect,
              (TwipRect{kGridLeft + 100, kGridTop + 2 * kRowHeight + 10, 1332, 2 * kRowHeight}));
    // AddNew is refused in the channel list; the popup closes with its selection cleared.
    s.ports().expectMessage(
        "AddNew is only supported in 'Edit Favorite Groups' or in DB Explorer Tables",
        MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.pick(controls::kRowPopup, 1);
    EXPECT_FALSE(s.visible(controls::kRowPopup));
    EXPECT_EQ(s.control(controls::kRowPopup).listIndex, -1);
    EXPECT_EQ(s.app().dispatcher().focusControl(), controls::kMainGrid);

    // Over whole selected rows the popup opens from the data area too.
    s.grid().userSelectCell(2, 0, false);
    s.rightPress(kColLeft[4] + 10, 2 * kRowHeight + 10);
    EXPECT_TRUE(s.visible(controls::kRowPopup));
    s.key(controls::kRowPopup, vk::kEscape);
    EXPECT_FALSE(s.visible(controls::kRowPopup));

    // The favourites view never opens the popup.
    s.app().state().CurrentView = core::app::kViewFavorites;
    s.rightPress(100, 2 * kRowHeight + 10);
    EXPECT_FALSE(s.visible(controls::kRowPopup));
    s.app().state().CurrentView = core::app::kViewChannelList;

    // A left press in the header row sorts on the selected column.
    s.grid().userSelectCell(0, col::kName, false);
    s.grid().raiseMouseDown(core::form::kLeftButton, 0, kColLeft[4] + 10, 10);
    EXPECT_EQ(s.cell(1, col::kName), "(empty)");
    EXPECT_EQ(s.cell(2, col::kName), "ORF1");
    EXPECT_EQ(s.cell(2, col::kNum), "1");
}

TEST_F(GridEditingTest, CtrlCCopiesTheSelectionAndDeleteRunsTheViewsDelete) {
    s.grid().userSelectCell(1, col::kName, false);
    s.grid().raiseKeyDown(vk::kLetterC, core::form::kCtrlMask);
    EXPECT_EQ(s.ports().clipboardText(), "ORF1");
    s.grid().userSelectCell(1, col::kNum, false);
    s.grid().userSelectCell(2, col::kSource, true);
    s.grid().raiseKeyDown(vk::kLetterC, core::form::kCtrlMask | core::form::kShiftMask);
    EXPECT_EQ(s.ports().clipboardText(), "1\tS19E\r2\tS19E");

    int deletes = 0;
    s.app().commands().install(core::app::command::kDeleteSelection, [&] { ++deletes; });
    s.grid().raiseKeyUp(vk::kDelete, 0);
    EXPECT_EQ(deletes, 1);
    s.grid().raiseKeyUp(vk::kDelete, core::form::kShiftMask);
    EXPECT_EQ(deletes, 1);
    // The popup's first entry is the same delete.
    s.rightPress(100, kRowHeight + 10);
    s.pick(controls::kRowPopup, 0);
    EXPECT_EQ(deletes, 2);
    EXPECT_FALSE(s.visible(controls::kRowPopup));

    // An abandoned command closes the popup all the same.
    s.app().commands().install(core::app::command::kDeleteSelection,
                               [] { throw std::runtime_error("refused"); });
    s.rightPress(100, kRowHeight + 10);
    s.ports().expectMessage(MessageAnswer::Ok);
    s.pick(controls::kRowPopup, 0);
    EXPECT_FALSE(s.visible(controls::kRowPopup));
    EXPECT_EQ(s.control(controls::kRowPopup).listIndex, -1);
}

// Registers a table view whose edits go to `writer`.
void useTableWriter(EditingSession& s, core::app::CellWriter writer) {
    core::app::ViewDescription table;
    table.doubleClickEditor = core::app::textEditorEverywhere;
    table.edits = core::app::EditStore::AtOnce;
    table.cellWriter = std::move(writer);
    s.app().views().add(std::move(table));
}

TEST_F(GridEditingTest, OutsideTheChannelListFinishingHandsChangedCellsToTheCellWriter) {
    std::vector<core::app::EditedCell> writes;
    bool fail = false;
    useTableWriter(s, [&](core::app::App& app, const core::app::EditedCell& cell) {
        writes.push_back(cell);
        if (fail)
            app.mainForm().setText(controls::kTextEditor, cell.oldText);
        app.state().FavDirty = false;
    });
    // A table view edits every column.
    s.app().state().CurrentView = "CHANNELS";
    ASSERT_TRUE(s.grid().setTextMatrix(1, col::kProvider, "ORF ").isOk());
    s.dblClick(1, col::kProvider);
    ASSERT_TRUE(s.visible(controls::kTextEditor));
    s.key(controls::kTextEditor, vk::kReturn);
    EXPECT_TRUE(writes.empty());

    s.dblClick(1, col::kProvider);
    s.type("ORF III");
    s.key(controls::kTextEditor, vk::kReturn);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].col, col::kProvider);
    EXPECT_EQ(writes[0].row, 1);
    EXPECT_EQ(writes[0].oldText, "ORF");
    EXPECT_EQ(writes[0].newText, "ORF III");
    EXPECT_EQ(s.cell(1, col::kProvider), "ORF III");
    EXPECT_FALSE(s.app().state().FavDirty);

    // A failed write leaves the old value in the cell.
    fail = true;
    s.dblClick(1, col::kProvider);
    s.type("bad");
    s.key(controls::kTextEditor, vk::kReturn);
    EXPECT_EQ(writes.size(), 2u);
    EXPECT_EQ(s.cell(1, col::kProvider), "ORF III");

    // A writer that gives up abandons the event with its focus events; Enter still finishes.
    fail = false;
    bool throwOnce = true;
    useTableWriter(s, [&](core::app::App& app, const core::app::EditedCell& cell) {
        if (std::exchange(throwOnce, false))
            throw std::runtime_error("write refused");
        writes.push_back(cell);
        app.state().FavDirty = false;
    });
    s.dblClick(1, col::kProvider);
    s.type("ORF 1");
    s.ports().expectMessage(MessageAnswer::Ok);
    s.key(controls::kTextEditor, vk::kReturn);
    ASSERT_TRUE(s.visible(controls::kTextEditor));
    s.key(controls::kTextEditor, vk::kReturn);
    EXPECT_FALSE(s.visible(controls::kTextEditor));
    EXPECT_EQ(s.cell(1, col::kProvider), "ORF 1");
    EXPECT_EQ(writes.size(), 3u);

    // The favourites view opens the editor only on Nummer.
    s.app().state().CurrentView = core::app::kViewFavorites;
    s.dblClick(1, col::kName);
    EXPECT_FALSE(s.visible(controls::kTextEditor));
    EXPECT_FALSE(s.visible(controls::kGroupList));
}

}  // namespace
}  // namespace velmora::test
