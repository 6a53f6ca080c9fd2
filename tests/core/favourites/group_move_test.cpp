// A row given another group, or none, moves or deletes the assignment it was loaded with when
// the list is saved, whichever way the group was given; an add-mode copy still adds. Read
// back by mdbtools and by the channel list built again, after a second save that must change
// nothing more.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/favourites/drop_fav_form.h"
#include "core/favourites/put_select_in_group.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "support/channel_file.h"
#include "support/editing_session.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;
namespace fav = core::favourites;
using core::form::EventKind;

// FAVOURITE as writeChannelFile() makes it (FAVNAME, NUM, SOURCEID, SID, NID).
const std::vector<std::string> kFavourites = {
    "\"Kids\",1,\"S19E\",100,1",  "\"Late Show \",1,\"S13E\",301,3", "\"News\",1,\"S19E\",100,1",
    "\"News\",2,\"S19E\",101,1",  "\"News\",3,\"S19E\",400,4",       "\"Sport\",1,\"S19E\",200,2",
    "\"Sport\",2,\"S99W\",999,9",
};

void dispatch(AppSession& s, const std::string& form, const std::string& control, EventKind kind,
              int keyCode = 0) {
    core::form::Event e;
    e.form = form;
    e.control = control;
    e.kind = kind;
    e.keyCode = keyCode;
    s.app().dispatcher().dispatch(e);
}

// The user picks `item` of the list box `list` with the mouse.
void pickItem(EditingSession& s, const std::string& list, const std::string& item) {
    const auto& items = s.form().control(list).items;
    const auto it = std::find(items.begin(), items.end(), item);
    ASSERT_NE(it, items.end()) << item;
    s.pick(list, static_cast<int>(it - items.begin()));
}

// In the drag and drop window: add or replace mode, then the label showing `group` ("ZZZZ" for
// none) is chosen and F9 in the grid drops the current row on it.
void dropOn(EditingSession& s, int row, const std::string& group, bool addMode) {
    s.click("Command14");
    core::form::Form* window = s.modal().modeless(fav::kDropFavFormName);
    ASSERT_NE(window, nullptr);
    window->setValue(fav::drop_fav_control::kAddMode, addMode ? 1 : 0);
    window->setValue(fav::drop_fav_control::kReplaceMode, addMode ? 0 : 1);
    std::string label = fav::drop_fav_control::kNoGroupLabel;
    for (const auto& c : window->controls()) {
        if (group != "ZZZZ" && c.visible && c.caption.starts_with(group + " ["))
            label = c.name;
    }
    dispatch(s, fav::kDropFavFormName, label, EventKind::Click);
    ASSERT_TRUE(s.app().grid().setRow(row).isOk());
    dispatch(s, core::app::kMainFormName, core::app::control::kMainGrid, EventKind::KeyUp,
             core::grid::vk::kF9);
}

struct Move {
    const char* what;
    const char* name;   // the channel of the row
    const char* group;  // its group as loaded
    std::function<void(EditingSession&, int row)> give;
    std::vector<std::string> gone, came;   // FAVOURITE rows
    std::vector<std::string> groupsAfter;  // the channel's groups in the list built again
};

class GivingARowAGroup : public ::testing::TestWithParam<Move> {};

TEST_P(GivingARowAGroup, IsStoredAsAMove) {
    VELMORA_REQUIRE_READERS();
    const Move& m = GetParam();
    EditingSession s;
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    ASSERT_TRUE(s.startOn(file));
    s.paint();
    const int row = gridRow(s, m.name, m.group);
    ASSERT_GT(row, 0);
    m.give(s, row);
    ASSERT_TRUE(s.app().state().FavDirty);

    s.click("Command7");
    s.click("Command7");  // again, unchanged: the rows now know where they are stored
    s.ports().verify();
    std::vector<std::string> expected;
    for (const std::string& line : kFavourites) {
        if (std::find(m.gone.begin(), m.gone.end(), line) == m.gone.end())
            expected.push_back(line);
    }
    expected.insert(expected.end(), m.came.begin(), m.came.end());
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> favourite = exportedRows(file, "FAVOURITE");
    ASSERT_FALSE(favourite.empty());
    favourite.erase(favourite.begin());  // the header
    EXPECT_EQ(favourite, expected);
    expectFileChecks(file);

    s.click("Command3");
    std::vector<std::string> groups;
    for (int r = 1; r < s.app().grid().rows(); ++r) {
        if (s.cell(r, col::kName) == m.name)
            groups.push_back(s.cell(r, col::kFavorite));
    }
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups, m.groupsAfter);
}

const std::string kOrf2News = "\"News\",2,\"S19E\",101,1";

INSTANTIATE_TEST_SUITE_P(
    Gestures, GivingARowAGroup,
    ::testing::Values(
        Move{"ADropOnZZZZInReplaceMode",
             "ORF2",
             "News",
             [](EditingSession& s, int row) { dropOn(s, row, "ZZZZ", false); },
             {kOrf2News},
             {},
             {"ZZZZ"}},
        Move{"ZZZZChosenInTheGroupList",
             "Radio X",
             "Late Show",
             [](EditingSession& s, int row) {
                 s.dblClick(row, col::kFavorite);
                 pickItem(s, core::app::control::kGroupList, "ZZZZ");
             },
             {"\"Late Show \",1,\"S13E\",301,3"},
             {},
             {"ZZZZ"}},
        Move{"AnotherGroupChosenInTheGroupList",
             "ORF2",
             "News",
             [](EditingSession& s, int row) {
                 s.dblClick(row, col::kFavorite);
                 pickItem(s, core::app::control::kGroupList, "Kids");
             },
             {kOrf2News},
             {"\"Kids\",2,\"S19E\",101,1"},
             {"Kids"}},
        Move{"ADropOnAnotherGroupInReplaceMode",
             "Radio X",
             "Late Show",
             [](EditingSession& s, int row) { dropOn(s, row, "News", false); },
             {"\"Late Show \",1,\"S13E\",301,3"},
             {"\"News\",1,\"S13E\",301,3"},
             {"News"}},
        // ORF1 is in News and Kids: its Kids row chosen News leaves Kids, one News stays.
        Move{"IntoAGroupTheChannelIsInAlready",
             "ORF1",
             "Kids",
             [](EditingSession& s, int row) {
                 s.dblClick(row, col::kFavorite);
                 pickItem(s, core::app::control::kGroupList, "News");
             },
             {"\"Kids\",1,\"S19E\",100,1"},
             {},
             {"News"}},
        // Sport1 is one channel on two frequencies, its one assignment shown in both rows.
        Move{"ADropOnZZZZForOneFrequencyOfTwo",
             "Sport1",
             "Sport",
             [](EditingSession& s, int row) { dropOn(s, row, "ZZZZ", false); },
             {"\"Sport\",1,\"S19E\",200,2"},
             {},
             {"ZZZZ", "ZZZZ"}},
        Move{"AnAddModeDropAddsAndKeepsTheOldGroup",
             "ORF2",
             "News",
             [](EditingSession& s, int row) { dropOn(s, row, "Sport", true); },
             {},
             {"\"Sport\",2,\"S19E\",101,1"},
             {"News", "Sport"}}),
    [](const ::testing::TestParamInfo<Move>& info) { return info.param.what; });

}  // namespace
}  // namespace velmora::test
