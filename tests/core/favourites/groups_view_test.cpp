// The groups view against the table FAVNAME shown by the explorer, on real files read back by
// mdbtools: only a name edit renames a group, a rename stores the group row and its
// assignments together or neither, and FAVNAME shown through ShowTable is a table view.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/grid/virtual_keys.h"
#include "support/channel_file.h"
#include "support/editing_session.h"
#include "support/file_rows.h"

namespace velmora::test {
namespace {

namespace controls = core::app::control;

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
using Lines = std::map<std::string, std::vector<std::string>>;

constexpr int kFavouriteNameChars = 12;

// The standard channel file, with a group named "2" (Sport's number) that has an assignment,
// and FAVOURITE's FAVNAME narrower than the group's own, so a long new name fits FAVNAME only.
std::string writeGroupsFile(const std::filesystem::path& path) {
    using namespace testing::winstb;
    engine::io::Env& env = engine::io::Env::real();
    EXPECT_TRUE(engine::jet::createDatabase(env, path.string()).isOk());
    auto db = engine::jet::openStoreDatabase(path.string(), env);
    EXPECT_TRUE(db.isOk());
    auto channels = (*db)->createTable(channelsSchema(true));
    TableSchema narrow = favouriteSchema();
    narrow.columns[0] = column("FAVNAME", ColumnType::Text, 0, kFavouriteNameChars);
    auto favourite = (*db)->createTable(narrow);
    auto favname = (*db)->createTable(favnameSchema());
    EXPECT_TRUE(channels.isOk() && favourite.isOk() && favname.isOk());
    for (auto& r : standardChannels())
        (*channels)->append(r);
    for (auto& r : standardFavourites())
        (*favourite)->append(r);
    (*favourite)->append({text("2"), num(1), text("S13E"), num(301), num(3)});
    for (auto& r : standardGroups())
        (*favname)->append(r);
    (*favname)->append({text("2"), num(9)});
    EXPECT_TRUE((*db)->commit().isOk());
    return path.string();
}

int rowWith(EditingSession& s, int col, const std::string& text) {
    for (int r = 1; r < s.grid().rows(); ++r)
        if (s.cell(r, col) == text)
            return r;
    return -1;
}

TEST(GroupsView, OnlyTheNameRenamesAndARenameStoresBothTablesOrNeither) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        int col;  // of Sport's row: 1 FAVNAME, 2 FAVNUM
        std::string typed;
        std::string message;  // empty: none
        std::string shown;    // the cell afterwards
        Lines gone, came;     // rows per table, as mdb-export prints them
    };
    const std::string sport1 = ",1,\"S19E\",200,2", sport2 = ",2,\"S99W\",999,9";
    const std::vector<Case> cases = {
        {"the number, equal to another group's name",
         2,
         "5",
         "",
         "5",
         {{"FAVNAME", {"\"Sport\",2"}}},
         {{"FAVNAME", {"\"Sport\",5"}}}},
        {"the name",
         1,
         "Sports",
         "",
         "Sports",
         {{"FAVNAME", {"\"Sport\",2"}},
          {"FAVOURITE", {"\"Sport\"" + sport1, "\"Sport\"" + sport2}}},
         {{"FAVNAME", {"\"Sports\",2"}},
          {"FAVOURITE", {"\"Sports\"" + sport1, "\"Sports\"" + sport2}}}},
        {"a name too long for the assignments",
         1,
         "Sport and Games",
         "Error 3163",
         "Sport",
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeGroupsFile(s.folder() / "WinSTB.mdb");
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        s.click("Command6");
        const int sport = rowWith(s, 1, "Sport");
        ASSERT_GT(sport, 0);
        if (!c.message.empty())
            s.ports().expectMessage(c.message, MessageButtons::Ok, MessageIcon::None,
                                    MessageAnswer::Ok);
        s.dblClick(sport, c.col);
        ASSERT_TRUE(s.visible(controls::kTextEditor));
        s.type(c.typed);
        s.key(controls::kTextEditor, core::grid::vk::kReturn);
        s.ports().verify();
        EXPECT_EQ(s.cell(sport, c.col), c.shown);
        s.app().db().close();

        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        EXPECT_EQ(changes.gone, c.gone) << describe(changes);
        EXPECT_EQ(changes.came, c.came) << describe(changes);
    }
}

// What the view offers comes from how it was opened, not from the table's name.
TEST(GroupsView, FavnameShownThroughShowTableIsATableView) {
    struct Case {
        const char* what;
        bool throughShowTable;
        std::vector<std::string> popup;
        std::string deleteQuestion;
    };
    const std::vector<Case> cases = {
        {"Edit Favorite Groups", false, {"Delete", "AddNew"}, "Are you sure to delete this Group?"},
        {"ShowTable",
         true,
         {"Delete", "AddNew", "Copy", "Paste"},
         "Are you sure to delete this Line?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        ASSERT_TRUE(s.startOn(writeGroupsFile(s.folder() / "WinSTB.mdb")));
        if (c.throughShowTable) {
            const std::vector<std::string>& tables = s.control("List1").items;
            const auto listed = std::find(tables.begin(), tables.end(), "FAVNAME");
            ASSERT_NE(listed, tables.end());
            s.form().setListIndex("List1", static_cast<int>(listed - tables.begin()));
            s.click("Command2");
        } else {
            s.click("Command6");
        }
        ASSERT_EQ(s.app().state().CurrentView, "FAVNAME");
        EXPECT_EQ(s.control(controls::kRowPopup).items, c.popup);
        // The Delete key asks the view's own question; Cancel keeps everything.
        s.grid().userSelectCell(rowWith(s, 1, "Kids"), 1, false);
        s.ports().expectMessage(c.deleteQuestion, MessageButtons::OkCancel, MessageIcon::None,
                                MessageAnswer::Cancel);
        s.grid().raiseKeyUp(core::grid::vk::kDelete, 0);
        s.ports().verify();
        EXPECT_GT(rowWith(s, 1, "Kids"), 0);
    }
}

}  // namespace
}  // namespace velmora::test
