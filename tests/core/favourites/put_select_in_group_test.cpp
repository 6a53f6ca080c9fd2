// "Put Select in group..." over a real channel file: the picker's place, keys and clicks, the
// group written into the selection with the FNum rule, and the save question of the next view
// change storing it.
#include "core/favourites/put_select_in_group.h"

#include <gtest/gtest.h>

#include "core/app/main_form.h"
#include "core/favourites/save_fav_channels.h"
#include "core/views/channel_list.h"
#include "support/app_session.h"
#include "support/channel_file.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace col = core::views::channel_col;
namespace fav = core::favourites;

class PutSelectInGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = writeChannelFile(s.folder() / "WinSTB.mdb");
        startOn(s, file);
        fav::installSaveFavChannels(s.app());
        fav::installPutSelectInGroup(s.app());
    }
    void select(int from, int to) {
        ASSERT_TRUE(s.app().grid().setRow(from).isOk());
        ASSERT_TRUE(s.app().grid().setRowSel(to).isOk());
    }
    void pickerKey(int keyCode) {
        core::form::Event e;
        e.form = core::app::kMainFormName;
        e.control = fav::kGroupPicker;
        e.kind = core::form::EventKind::KeyDown;
        e.keyCode = keyCode;
        s.app().dispatcher().dispatch(e);
    }
    void pick(const std::string& group) {
        const auto& items = s.form().control(fav::kGroupPicker).items;
        const auto it = std::find(items.begin(), items.end(), group);
        ASSERT_NE(it, items.end()) << group;
        s.form().setListIndex(fav::kGroupPicker, static_cast<int>(it - items.begin()));
        s.click(fav::kGroupPicker);
    }
    const core::form::Control& picker() { return s.form().control(fav::kGroupPicker); }
    AppSession s;
    std::string file;
};

TEST_F(PutSelectInGroupTest, PickerOpensInPlaceAndEscapeOrAnEmptyEnterChangeNothing) {
    const std::vector<std::string> groups = s.column(col::kFavorite);
    s.click(fav::kPutSelectButton);
    EXPECT_TRUE(picker().visible);
    EXPECT_EQ(picker().rect, (core::form::TwipRect{3000, 2000, 2000, 2200}));
    EXPECT_EQ(picker().listIndex, -1);
    EXPECT_EQ(picker().items, (std::vector<std::string>{"News", "Sport", "Kids", "Late Show"}));
    EXPECT_EQ(s.app().dispatcher().focusControl(), fav::kGroupPicker);

    pickerKey(27);
    EXPECT_FALSE(picker().visible);
    EXPECT_EQ(s.app().dispatcher().focusControl(), fav::kPutSelectButton);
    s.click(fav::kPutSelectButton);
    pickerKey(13);  // nothing selected
    EXPECT_FALSE(picker().visible);
    EXPECT_EQ(s.column(col::kFavorite), groups);
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_EQ(s.app().state().groupPickPurpose, core::app::GroupPickPurpose::None);
}

TEST_F(PutSelectInGroupTest, GroupGoesIntoTheSelectionAndTheSaveQuestionStoresIt) {
    VELMORA_REQUIRE_READERS();
    // Num 2 ORF2 (News, position 2), 3 Ö1 (no group), selected from the bottom up.
    const int orf2 = gridRow(s, "ORF2", "News");
    ASSERT_EQ(s.cell(orf2 + 1, col::kName), "Ö1");
    select(orf2 + 1, orf2);
    s.click(fav::kPutSelectButton);
    pick("Kids");
    EXPECT_FALSE(picker().visible);
    EXPECT_EQ(s.cell(orf2, col::kFavorite), "Kids");
    EXPECT_EQ(s.cell(orf2, col::kFNum), "2") << "a row with a position keeps it";
    EXPECT_EQ(s.cell(orf2 + 1, col::kFavorite), "Kids");
    EXPECT_EQ(s.cell(orf2 + 1, col::kFNum), "3") << "the channel number becomes the position";
    EXPECT_TRUE(s.app().state().FavDirty);

    // Show/Edit Channels asks; Yes saves before the list is built again.
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Yes);
    s.click("Command3");
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_EQ(gridRow(s, "ORF2", "News"), -1) << "the assignment moved";
    EXPECT_GT(gridRow(s, "ORF2", "Kids"), 0);
    EXPECT_GT(gridRow(s, "Ö1", "Kids"), 0);
    EXPECT_EQ(gridRow(s, "Ö1", "ZZZZ"), -1);

    const auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_FALSE(hasRow(favourite, "\"News\",2,\"S19E\",101,1"));
    EXPECT_TRUE(hasRow(favourite, "\"Kids\",2,\"S19E\",101,1"));
    EXPECT_TRUE(hasRow(favourite, "\"Kids\",3,\"S19E\",102,1"));
    EXPECT_EQ(favourite.size(), 1u + 8u);
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
