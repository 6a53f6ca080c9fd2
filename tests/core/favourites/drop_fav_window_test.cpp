// The drag and drop favourites window in whole sessions: opening and laying out its labels,
// every kind of drop, the keyboard's way, closing, and a saved add-mode drop read back by
// mdbtools.
#include "core/favourites/drop_fav_window.h"

#include <gtest/gtest.h>

#include "core/app/main_form.h"
#include "core/favourites/drop_fav_form.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "support/app_session.h"
#include "support/channel_file.h"

namespace velmora::test {
namespace {

using core::form::EventKind;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace col = core::views::channel_col;

constexpr core::grid::Rgb kRadio{214, 239, 247};

// A database with the standard channels and assignments and `groups` as FAVNAME.
std::function<void(engine::store::Database&)> withGroups(std::vector<std::string> groups) {
    return [groups](engine::store::Database& db) {
        using namespace testing::winstb;
        auto channels = db.createTable(channelsSchema(true));
        auto favourite = db.createTable(favouriteSchema());
        auto favname = db.createTable(favnameSchema());
        for (auto& r : standardChannels())
            (*channels)->append(r);
        for (auto& r : standardFavourites())
            (*favourite)->append(r);
        int n = 0;
        for (const std::string& g : groups)
            (*favname)->append({Value(g), num(++n)});
        (void)db.commit();
    };
}

class DropFavTest : public ::testing::Test {
protected:
    void startWith(const std::string& database) {
        s.storeSetting(core::app::SettingKey::Language, "eng");
        s.storeSetting(core::app::SettingKey::WinSTBPath, database);
        ASSERT_TRUE(s.start());
        s.paint();
    }
    void startStandard() { startWith(s.addDatabase("WinSTB.mdb")); }

    core::form::Form* window() { return s.modal().modeless(core::favourites::kDropFavFormName); }
    core::form::Form& open() {
        s.click("Command14");
        core::form::Form* w = window();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    // The label whose caption shows group `name`, or "".
    std::string labelOf(const std::string& name) {
        for (const auto& c : window()->controls()) {
            if (c.visible && c.caption.starts_with(name + " ["))
                return c.name;
        }
        return "";
    }
    std::string caption(const std::string& label) { return window()->control(label).caption; }
    void dragEvent(const std::string& label, EventKind kind, bool fromGrid = true) {
        core::form::Event e;
        e.form = core::favourites::kDropFavFormName;
        e.control = label;
        e.kind = kind;
        if (fromGrid) {
            e.sourceForm = core::app::kMainFormName;
            e.sourceControl = "MSFlexGrid1";
        }
        s.app().dispatcher().dispatch(e);
    }
    // The user presses on cell (row, column) of the grid and drops it on `label`.
    void dropRow(int row, int column, const std::string& label) {
        ASSERT_GT(row, 0);
        ASSERT_TRUE(s.app().grid().setCurrentCell(row, column).isOk());
        dragEvent(label, EventKind::DragEnter);
        dragEvent(label, EventKind::DragDrop);
    }
    int rowOf(const std::string& name, const std::string& group) { return gridRow(s, name, group); }
    void chooseAddMode() {
        core::form::Form& w = *window();
        w.setValue("Option1", 1);
        w.setValue("Option2", 0);
    }
    AppSession s;
};

TEST_F(DropFavTest, OpeningListsEveryGroupSizedFromTheFontOwnedByTheMainWindow) {
    startStandard();
    core::form::Form& w = open();
    EXPECT_TRUE(s.app().state().DragDropOpen);
    EXPECT_EQ(w.caption(), "Drag&Drop Favorites");
    EXPECT_EQ(s.ports().ownerOf("Form_DropFav"), std::optional<std::string>("Form1"));
    EXPECT_EQ(w.control("Option2").value, 1);
    EXPECT_EQ(w.control("Option1").value, 0);
    // Counts include the assignment whose channel is gone (Sport's second).
    EXPECT_EQ(caption(labelOf("News")), "News [2]");
    EXPECT_EQ(caption(labelOf("Sport")), "Sport [2]");
    EXPECT_EQ(caption(labelOf("Kids")), "Kids [0]");
    EXPECT_FALSE(w.control("Label5").visible);

    // The scripted font: 8.25 pt is 198 twips high and 82.5 twips a character, rounded.
    const int h = ScriptedPorts::defaultMeasure("Tg", w.control("Label1").font).height + 16;
    const int widest = ScriptedPorts::defaultMeasure("Sport [2]", {}).width;
    for (int k = 1; k <= 3; ++k) {
        const core::form::TwipRect r = w.control(core::favourites::groupLabelName(k)).rect;
        EXPECT_EQ(r, (core::form::TwipRect{120, (h + 16) * k + 480, widest + 16, h})) << k;
    }
    EXPECT_EQ(w.control("Label1").rect, (core::form::TwipRect{120, 480, widest + 16, h}));
    EXPECT_EQ(w.geometry().height, (h + 16) * 3 + 480 + 500);

    // While it is open a left press on the grid starts a drag from the grid.
    core::form::Event press;
    press.form = core::app::kMainFormName;
    press.control = "MSFlexGrid1";
    press.kind = EventKind::MouseDown;
    press.button = core::form::kLeftButton;
    press.x = 2000;
    press.y = 600;
    s.app().dispatcher().dispatch(press);
    EXPECT_EQ(s.ports().dragsStarted(), std::vector<std::string>{"Form1.MSFlexGrid1"});

    // Pressing the button again only brings it forward: a drop's count stays.
    dropRow(rowOf("Ö1", "ZZZZ"), 1, labelOf("Kids"));
    s.click("Command14");
    EXPECT_EQ(caption(labelOf("Kids")), "Kids [1]");

    // Closing by its close box ends the drags.
    dragEvent("", EventKind::Unload);
    EXPECT_EQ(window(), nullptr);
    EXPECT_FALSE(s.app().state().DragDropOpen);
    s.app().dispatcher().dispatch(press);
    EXPECT_EQ(s.ports().dragsStarted().size(), 1u);
}

TEST_F(DropFavTest, WithoutGroupsItSaysSoAndStaysClosed) {
    startWith(s.addDatabaseBuiltBy("Empty.mdb", withGroups({})));
    s.ports().expectMessage("No Favorite groups defined", MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    s.click("Command14");
    EXPECT_EQ(window(), nullptr);
    EXPECT_FALSE(s.app().state().DragDropOpen);
}

TEST_F(DropFavTest, ClosesWithTheMainWindow) {
    startStandard();
    open();
    EXPECT_TRUE(s.close());
    EXPECT_EQ(window(), nullptr);
    EXPECT_FALSE(s.app().state().DragDropOpen);
}

TEST_F(DropFavTest, HighlightFollowsTheDragFromTheGridOnly) {
    startStandard();
    core::form::Form& w = open();
    const std::string news = labelOf("News");
    dragEvent(news, EventKind::DragEnter);
    EXPECT_EQ(w.control(news).borderStyle, 1);
    EXPECT_EQ(w.control(news).backColor, (core::form::Rgb{255, 255, 192}));
    dragEvent(news, EventKind::DragLeave);
    EXPECT_EQ(w.control(news).borderStyle, 0);
    EXPECT_EQ(w.control(news).backColor, (core::form::Rgb{255, 255, 255}));
    dragEvent("Label1", EventKind::DragEnter, false);
    EXPECT_EQ(w.control("Label1").borderStyle, 0);
    // A drop from elsewhere changes nothing.
    const int orf1 = rowOf("ORF1", "News");
    ASSERT_TRUE(s.app().grid().setCurrentCell(orf1, 1).isOk());
    dragEvent("Label1", EventKind::DragDrop, false);
    EXPECT_EQ(s.cell(orf1, col::kFavorite), "News");
    EXPECT_FALSE(s.app().state().FavDirty);
}

// The drop cases, each from a freshly opened window over the standard rows.
struct DropCase {
    const char* what;
    bool addMode;
    const char* channel;
    const char* group;  // the row's group before the drop
    int pressedColumn;
    const char* target;  // a group's name, or "ZZZZ"
    int newRows;
    const char* groupAfter;  // of the dropped row
    const char* positionAfter;
    const char* targetCaption;  // "" for "ZZZZ"
    const char* sportCaption;
    bool dirty;
    bool multiFav;
    bool copyColoured;
};

TEST_F(DropFavTest, EveryDropCase) {
    const DropCase cases[] = {
        {"replace: no group takes its channel number", false, "Ö1", "ZZZZ", 1, "News", 0, "News",
         "3", "News [3]", "Sport [2]", true, false, false},
        {"replace: Sport to News keeps position and Sport's count", false, "Sport1", "Sport", 1,
         "News", 0, "News", "1", "News [3]", "Sport [2]", true, false, false},
        {"add: a copy below with group News", true, "Sport1", "Sport", 1, "News", 1, "Sport", "1",
         "News [3]", "Sport [2]", true, true, false},
        {"add without a group acts as replace", true, "Ö1", "ZZZZ", 1, "News", 0, "News", "3",
         "News [3]", "Sport [2]", true, false, false},
        {"add: radio dragged from a coloured cell", true, "Radio X", "ZZZZ", 1, "News", 0, "News",
         "7", "News [3]", "Sport [2]", true, false, false},
        {"already in the group: nothing", false, "ORF1", "News", 1, "News", 0, "News", "1",
         "News [2]", "Sport [2]", false, false, false},
        {"ZZZZ on a row without group: nothing", false, "Ö1", "ZZZZ", 1, "ZZZZ", 0, "ZZZZ", "ZZZ",
         "", "Sport [2]", false, false, false},
        {"ZZZZ takes a row out, no count changes", false, "Sport1", "Sport", 1, "ZZZZ", 0, "ZZZZ",
         "ZZZ", "", "Sport [2]", true, false, false},
    };
    startStandard();
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from the file: the window closed, the list rebuilt unsaved.
        if (window() != nullptr)
            dragEvent("", EventKind::Unload, false);
        if (s.app().state().FavDirty)
            s.ports().expectMessage(MessageAnswer::No);
        s.app().commands().run(core::app::command::kLoadChannelList);
        s.ports().verify();
        open();
        if (c.addMode)
            chooseAddMode();
        const int rowsBefore = s.dataRows();
        const int r = rowOf(c.channel, c.group);
        ASSERT_GT(r, 0);
        const std::string target =
            std::string(c.target) == "ZZZZ" ? std::string("Label1") : labelOf(c.target);
        dropRow(r, c.pressedColumn, target);
        EXPECT_EQ(s.dataRows() - rowsBefore, c.newRows);
        EXPECT_EQ(s.cell(r, col::kFavorite), c.groupAfter);
        EXPECT_EQ(s.cell(r, col::kFNum), c.positionAfter);
        if (*c.targetCaption != '\0') {
            EXPECT_EQ(caption(target), c.targetCaption);
        }
        EXPECT_EQ(caption(labelOf("Sport")), c.sportCaption);
        EXPECT_EQ(caption("Label1"), "ZZZZ");
        EXPECT_EQ(s.app().state().FavDirty, c.dirty);
        EXPECT_EQ(s.app().state().MultiFavAdded, c.multiFav);
        EXPECT_EQ(window()->control(target).borderStyle, 0);
        if (c.newRows == 1) {
            for (int k = 0; k < s.app().grid().cols(); ++k) {
                if (k != col::kFavorite) {
                    EXPECT_EQ(s.cell(r + 1, k), s.cell(r, k)) << k;
                }
            }
            EXPECT_EQ(s.cell(r + 1, col::kFavorite), c.target);
        }
    }
}

TEST_F(DropFavTest, AddModeCopiesTheRadioColourOnlyFromAColouredCell) {
    startStandard();
    // Radio X gets a group first, so add mode copies it.
    open();
    dropRow(rowOf("Radio X", "ZZZZ"), 1, labelOf("Kids"));
    chooseAddMode();
    const int r = rowOf("Radio X", "Kids");
    ASSERT_EQ(s.app().grid().effectiveBackColor(r, 1), kRadio);
    dropRow(r, 3, labelOf("News"));
    EXPECT_EQ(s.cell(r + 1, col::kFavorite), "News");
    EXPECT_EQ(s.app().grid().row(), r + 1);
    EXPECT_EQ(s.app().grid().col(), col::kFNum);
    for (int k = col::kNum; k <= col::kFNum; ++k)
        EXPECT_EQ(s.app().grid().effectiveBackColor(r + 1, k), kRadio) << k;

    // From a column beyond 6, which is not coloured, the copy stays plain.
    dropRow(r, 8, labelOf("Sport"));
    EXPECT_EQ(s.cell(r + 1, col::kFavorite), "Sport");
    EXPECT_NE(s.app().grid().effectiveBackColor(r + 1, 1), kRadio);
    EXPECT_EQ(caption(labelOf("News")), "News [3]");
    EXPECT_EQ(caption(labelOf("Sport")), "Sport [3]");
}

TEST_F(DropFavTest, DropsOutsideTheChannelListChangeNothing) {
    startStandard();
    open();
    s.click("Command6");  // the groups view
    ASSERT_EQ(s.app().state().CurrentView, core::app::kViewGroups);
    const std::string before = s.cell(1, col::kFavorite);
    dropRow(1, 1, labelOf("News"));
    EXPECT_EQ(s.cell(1, col::kFavorite), before);
    EXPECT_EQ(caption(labelOf("News")), "News [2]");
    EXPECT_FALSE(s.app().state().FavDirty);
}

TEST_F(DropFavTest, AGroupNameWithABracketIsDroppedWhole) {
    startWith(s.addDatabaseBuiltBy("Brackets.mdb", withGroups({"News", "A [b] c"})));
    open();
    const std::string label = labelOf("A [b] c");
    ASSERT_FALSE(label.empty());
    EXPECT_EQ(caption(label), "A [b] c [0]");
    dropRow(rowOf("Ö1", "ZZZZ"), 1, label);
    EXPECT_EQ(s.cell(rowOf("Ö1", "A [b] c"), col::kFNum), "3");
    EXPECT_EQ(caption(label), "A [b] c [1]");
}

TEST_F(DropFavTest, SeventyGroupsAreAllShownAndTakeDrops) {
    std::vector<std::string> groups;
    for (int i = 1; i <= 70; ++i)
        groups.push_back("G" + std::to_string(100 + i));
    startWith(s.addDatabaseBuiltBy("Many.mdb", withGroups(groups)));
    core::form::Form& w = open();
    int lastTop = 0;
    for (const std::string& g : groups) {
        const std::string label = labelOf(g);
        ASSERT_FALSE(label.empty()) << g;
        EXPECT_GT(w.control(label).rect.top, 480);
        lastTop = std::max(lastTop, w.control(label).rect.top);
    }
    EXPECT_EQ(w.geometry().height, lastTop + 500);
    dropRow(rowOf("Ö1", "ZZZZ"), 1, labelOf("G170"));
    EXPECT_GT(rowOf("Ö1", "G170"), 0);
    EXPECT_EQ(caption(labelOf("G170")), "G170 [1]");
}

TEST_F(DropFavTest, KeyboardPutsTheCurrentRowIntoTheSelectedGroup) {
    startStandard();
    open();
    auto key = [&](const std::string& form, const std::string& control, EventKind kind, int code) {
        core::form::Event e;
        e.form = form;
        e.control = control;
        e.kind = kind;
        e.keyCode = code;
        s.app().dispatcher().dispatch(e);
    };
    // A click selects a group; F9 in the grid drops the current row there.
    dragEvent(labelOf("Kids"), EventKind::Click, false);
    const int orf2 = rowOf("ORF2", "News");
    ASSERT_TRUE(s.app().grid().setCurrentCell(orf2, 1).isOk());
    key(core::app::kMainFormName, "MSFlexGrid1", EventKind::KeyUp, core::grid::vk::kF9);
    EXPECT_EQ(s.cell(orf2, col::kFavorite), "Kids");
    EXPECT_EQ(caption(labelOf("Kids")), "Kids [1]");
    // Up in the window moves to "ZZZZ"; Enter takes the row out of its group.
    key(core::favourites::kDropFavFormName, "", EventKind::KeyDown, core::grid::vk::kUp);
    key(core::favourites::kDropFavFormName, "", EventKind::KeyDown, core::grid::vk::kReturn);
    EXPECT_EQ(s.cell(orf2, col::kFavorite), "ZZZZ");
    EXPECT_EQ(s.cell(orf2, col::kFNum), "ZZZ");
}

TEST_F(DropFavTest, AddModeDropRefusesDeleteSelectionAndIsSavedToTheFile) {
    VELMORA_REQUIRE_READERS();
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    startOn(s, file);
    open();
    chooseAddMode();
    const int r = rowOf("Sport1", "Sport");
    const int rowsShown = s.dataRows();
    dropRow(r, 1, labelOf("Kids"));
    ASSERT_TRUE(s.app().state().MultiFavAdded);
    EXPECT_EQ(s.label(), std::to_string(rowsShown + 1) + " Channels") << "the copy counts";

    // Delete Selection refuses while the copied row stands.
    const int rowsBefore = s.dataRows();
    ASSERT_TRUE(s.app().grid().setRow(r).isOk());
    ASSERT_TRUE(s.app().grid().setRowSel(r).isOk());
    s.ports().expectMessage(MessageAnswer::Ok);
    s.click("Command9");
    EXPECT_EQ(s.dataRows(), rowsBefore);

    s.click("Command7");
    s.ports().verify();
    EXPECT_TRUE(s.app().state().MultiFavAdded);  // saving alone does not clear it
    const auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_TRUE(hasRow(favourite, "\"Kids\",1,\"S19E\",200,2"))
        << ::testing::PrintToString(favourite);
    EXPECT_TRUE(hasRow(favourite, "\"Sport\",1,\"S19E\",200,2"));
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
