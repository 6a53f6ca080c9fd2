// The views that write edited cells at once, on a real Jet file: the favourites view, the
// groups view and the explorer's table views, driven as a user drives them, each write
// followed by velmora-db check and mdbtools. Also the save question's Yes surviving a later
// failure of the same command, and the complete program clicking every button once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/app/main_form.h"
#include "core/editing/editing_session.h"
#include "core/editing/grid_edit.h"
#include "core/favourites/channel_file.h"
#include "core/grid/virtual_keys.h"

namespace velmora::test {
namespace {

namespace vk = core::grid::vk;
using core::ports::MessageAnswer;
using core::ports::MessageButtons;
using core::ports::MessageIcon;
using engine::store::ColumnDef;
using engine::store::ColumnType;
using engine::store::Value;

ColumnDef field(const char* name, ColumnType type, uint16_t length = 0) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

Value date(double days) {
    return Value(engine::store::DateTime{days});
}

// The channel file plus a table of every kind of value the table view shows and finds rows
// by: a quote in a text, a date, a yes/no field, a name with a blank, a double, a Null, and
// two identical rows; and tables whose names the explorer hides or lists.
std::string writeExplorerFile(const std::filesystem::path& path) {
    const std::string file = writeChannelFile(path);
    auto db = engine::jet::openStoreDatabase(file, engine::io::Env::real());
    EXPECT_TRUE(db.isOk());
    engine::store::TableSchema notes;
    notes.name = "Notes";
    notes.columns = {field("ID", ColumnType::Long), field("Title", ColumnType::Text, 100),
                     field("Air Date", ColumnType::DateTime), field("Live", ColumnType::Boolean),
                     field("Score", ColumnType::Double)};
    auto table = (*db)->createTable(notes);
    EXPECT_TRUE(table.isOk());
    // 45322.84375 is 2024-01-31 20:15:00.
    (*table)->append({Value(int64_t{10}), Value(std::string("O'Brien")), date(45322.84375),
                      Value(true), Value(2.5)});
    (*table)->append(
        {Value(int64_t{9}), Value(std::string("Same")), date(45322.0), Value(false), Value(1.0)});
    (*table)->append(
        {Value(int64_t{9}), Value(std::string("Same")), date(45322.0), Value(false), Value(1.0)});
    (*table)->append(
        {Value(int64_t{11}), engine::store::Null{}, date(45323.0), Value(true), Value(0.0)});
    for (const char* name : {"msysData", "ABCMSYS", "MSY", "Empty"}) {
        engine::store::TableSchema s;
        s.name = name;
        s.columns = {field("A", ColumnType::Long)};
        EXPECT_TRUE((*db)->createTable(s).isOk());
    }
    EXPECT_TRUE((*db)->commit().isOk());
    return file;
}

class WrittenViews : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE_READERS();
        file = writeExplorerFile(s.folder() / "WinSTB.mdb");
        startOn(s, file);
    }
    void TearDown() override {
        if (!file.empty() && !HasFailure())
            expectFileChecks(file);
    }

    void edit(int row, int col, const std::string& text) {
        s.focusGrid();
        s.grid().userSelectCell(row, col, false);
        s.grid().raiseDblClick();
        ASSERT_TRUE(s.visible(core::app::control::kTextEditor))
            << "no editor at " << row << "," << col;
        s.form().setText(core::app::control::kTextEditor, text);
        s.key(core::app::control::kTextEditor, vk::kReturn);
    }
    int rowWith(int col, const std::string& text) {
        for (int r = 1; r < s.grid().rows(); ++r)
            if (s.cell(r, col) == text)
                return r;
        return -1;
    }
    void showTable(const std::string& name) {
        const auto& items = s.control("List1").items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == name)
                s.form().setListIndex("List1", static_cast<int>(i));
        s.click("Command2");
    }

    EditingSession s;
    std::string file;
};

TEST_F(WrittenViews, FavouritesViewListsAssignmentsAndWritesPositionsAtOnce) {
    s.click("Command12");
    EXPECT_EQ(s.app().state().CurrentView, "Favorites");
    EXPECT_EQ(s.cell(0, 1), "FAVORITE");
    EXPECT_EQ(s.cell(0, 2), "Nummer");
    // ORF1 in News and Kids, Sport1 twice for its two frequencies, no row for the
    // assignment whose channel is gone (S99W).
    std::vector<std::string> groups;
    for (int r = 1; r < s.grid().rows(); ++r)
        groups.push_back(s.cell(r, 1) + "/" + s.cell(r, 3));
    EXPECT_EQ(groups,
              (std::vector<std::string>{"Kids/ORF1", "Late Show /Radio X", "News/ORF1", "News/ORF2",
                                        "News/O'Brien TV", "Sport/Sport1", "Sport/Sport1"}));
    EXPECT_EQ(s.control("Label1").caption, "7 Favorites");
    EXPECT_FALSE(s.control("Command7").enabled);
    EXPECT_FALSE(s.visible("Check_TV"));

    const int obrien = rowWith(3, "O'Brien TV");
    edit(obrien, 2, "7");
    EXPECT_EQ(s.cell(obrien, 2), "7");
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVOURITE"), "\"News\",7,\"S19E\",400,4"));

    // A refused position: the message, and the cell keeps what the file holds.
    s.ports().expectMessage("ERROR updating Database", MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    edit(obrien, 2, "seven");
    EXPECT_EQ(s.cell(obrien, 2), "7");
    // Only Nummer opens an editor.
    s.grid().userSelectCell(obrien, 3, false);
    s.grid().raiseDblClick();
    EXPECT_FALSE(s.visible(core::app::control::kTextEditor));
}

TEST_F(WrittenViews, TableViewFindsRowsByTypedValuesAndWritesEachKind) {
    // The explorer lists the user's tables, none with msys in any case.
    EXPECT_EQ(
        s.control("List1").items,
        (std::vector<std::string>{"CHANNELS", "FAVOURITE", "FAVNAME", "Notes", "MSY", "Empty"}));
    showTable("Notes");
    ASSERT_EQ(s.app().state().CurrentView, "Notes");
    EXPECT_EQ(s.control("Label1").caption, "4 Datarows");
    EXPECT_EQ(s.control("List3").items,
              (std::vector<std::string>{"Delete", "AddNew", "Copy", "Paste"}));
    // Sorted on the first field, numbers as numbers: 9 before 10.
    EXPECT_EQ(s.cell(1, 1), "9");
    EXPECT_EQ(s.cell(3, 1), "10");
    EXPECT_EQ(s.cell(3, 3), "2024-01-31 20:15:00");
    EXPECT_EQ(s.cell(3, 4), "True");

    struct Case {
        const char* what;
        int row;
        int col;
        const char* text;
        const char* exported;  // the changed row as mdb-export prints it
    };
    const Case cases[] = {
        {"a quote in a text", 3, 2, "O'Brien's", "10,\"O'Brien's\",\"01/31/24 20:15:00\",1,2.5"},
        {"a date", 3, 3, "2024-02-01 10:00:00", "10,\"O'Brien's\",\"02/01/24 10:00:00\",1,2.5"},
        {"a yes/no field", 3, 4, "False", "10,\"O'Brien's\",\"02/01/24 10:00:00\",0,2.5"},
        {"a row with a Null", 4, 2, "Filled", "11,\"Filled\",\"02/01/24 00:00:00\",1,0"},
        {"the first of two identical rows", 1, 2, "Changed",
         "9,\"Changed\",\"01/31/24 00:00:00\",0,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        edit(c.row, c.col, c.text);
        EXPECT_EQ(s.cell(c.row, c.col), c.text);
        const auto rows = exportedRows(file, "Notes");
        EXPECT_TRUE(hasRow(rows, c.exported)) << ::testing::PrintToString(rows);
    }
    // Exactly one of the two identical rows changed.
    EXPECT_TRUE(hasRow(exportedRows(file, "Notes"), "9,\"Same\",\"01/31/24 00:00:00\",0,1"));

    // Letters in a number field: the engine's number, and the cell keeps its value.
    s.ports().expectMessage("Error 3421", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    edit(3, 5, "high");
    EXPECT_EQ(s.cell(3, 5), "2.5");

    // An empty table shows its header only and an empty count.
    showTable("Empty");
    EXPECT_EQ(s.grid().rows(), 1);
    EXPECT_EQ(s.control("Label1").caption, "");
}

TEST_F(WrittenViews, TableViewDeletesExactlyTheSelectedRows) {
    showTable("Notes");
    // Of the two identical rows (ID 9) exactly one goes, and the grid loses exactly one row.
    s.grid().userSelectCell(1, 1, false);
    s.ports().expectMessage("Are you sure to delete this Line?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.grid().raiseKeyUp(vk::kDelete, 0);
    EXPECT_EQ(s.grid().rows(), 4);
    EXPECT_EQ(s.control("Label1").caption, "3 Datarows");
    auto rows = exportedRows(file, "Notes");
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_TRUE(hasRow(rows, "9,\"Same\",\"01/31/24 00:00:00\",0,1"));

    // Three selected rows through the popup: all three records go, nothing else.
    s.grid().userSelectCell(1, 1, false);
    s.grid().userSelectCell(3, 5, true);
    s.ports().expectMessage("Are you sure to delete 3 Lines", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.rightPress(100, 2 * 240 + 10);  // the row markers
    ASSERT_TRUE(s.visible(core::app::control::kRowPopup));
    s.pick(core::app::control::kRowPopup, 0);
    EXPECT_EQ(s.grid().rows(), 1);
    EXPECT_EQ(s.control("Label1").caption, "0 Datarows");
    EXPECT_EQ(exportedRows(file, "Notes").size(), 1u);  // the header line alone
}

TEST_F(WrittenViews, GroupRenamesReachTheAssignmentsAndAFailedOneChangesNeither) {
    s.click("Command6");
    ASSERT_EQ(s.app().state().CurrentView, "FAVNAME");
    EXPECT_EQ(s.control("Label1").caption, "4 Groups");
    const int sport = rowWith(1, "Sport");
    ASSERT_GT(sport, 0);
    edit(sport, 1, "Sports");
    auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_TRUE(hasRow(favourite, "\"Sports\",1,\"S19E\",200,2"));
    EXPECT_TRUE(hasRow(favourite, "\"Sports\",2,\"S99W\",999,9"));
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVNAME"), "\"Sports\",2"));

    // Shown with its trailing blank; the rename reaches the assignment stored that way.
    const int late = rowWith(1, "Late Show ");
    ASSERT_GT(late, 0);
    edit(late, 1, "Late");
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVOURITE"), "\"Late\",1,\"S13E\",301,3"));

    // A refused write renames nothing.
    const int news = rowWith(1, "News");
    s.ports().expectMessage("Error 3421", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    edit(news, 2, "x");
    EXPECT_EQ(s.cell(news, 2), "1");
    EXPECT_TRUE(hasRow(exportedRows(file, "FAVOURITE"), "\"News\",1,\"S19E\",100,1"));

    // Deleting a group deletes its assignments.
    s.grid().userSelectCell(rowWith(1, "Kids"), 1, false);
    s.ports().expectMessage("Are you sure to delete this Group?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.grid().raiseKeyUp(vk::kDelete, 0);
    EXPECT_EQ(rowWith(1, "Kids"), -1);
    EXPECT_EQ(s.control("Label1").caption, "3 Groups");
    for (const std::string& line : exportedRows(file, "FAVOURITE"))
        EXPECT_EQ(line.find("\"Kids\""), std::string::npos) << line;
}

TEST_F(WrittenViews, DeletingThreeGroupsTakesTheirAssignmentsAlsoWhereARowCannotGo) {
    s.click("Command6");
    ASSERT_EQ(s.app().state().CurrentView, "FAVNAME");
    // The first three rows of the view, whatever their order; one of them, "News", is
    // changed in the file behind the grid, so its row can no longer be found and deleted.
    std::vector<std::string> chosen;
    for (int r = 1; r <= 3; ++r)
        chosen.push_back(s.cell(r, 1));
    ASSERT_NE(std::find(chosen.begin(), chosen.end(), "News"), chosen.end())
        << ::testing::PrintToString(chosen);
    const auto channels = exportedRows(file, "CHANNELS");
    s.app().db().execute("UPDATE FAVNAME SET FAVNUM = 77 WHERE FAVNAME = 'News'");
    s.grid().userSelectCell(1, 1, false);
    s.grid().userSelectCell(3, 1, true);
    s.ports().expectMessage("Are you sure to delete this Groups?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.ports().expectMessage("ERROR", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.grid().raiseKeyUp(vk::kDelete, 0);

    EXPECT_GT(rowWith(1, "News"), 0) << "the row that could not be deleted stays";
    EXPECT_EQ(s.control("Label1").caption, "2 Groups");
    const auto groups = exportedRows(file, "FAVNAME");
    EXPECT_TRUE(hasRow(groups, "\"News\",77")) << ::testing::PrintToString(groups);
    EXPECT_EQ(groups.size(), 3u) << "header, News and the group not chosen";
    for (const std::string& line : exportedRows(file, "FAVOURITE"))
        for (const std::string& group : chosen)
            EXPECT_EQ(line.rfind("\"" + group + "\",", 0), std::string::npos) << line;
    // The channels stay; the channel list shows them without a group.
    EXPECT_EQ(exportedRows(file, "CHANNELS"), channels);
    s.click("Command3");
    EXPECT_GT(gridRow(s, "ORF2", "ZZZZ"), 0) << "ORF2 was in News";
}

TEST_F(WrittenViews, AYesToTheSaveQuestionStaysSavedWhenTheCommandFailsLater) {
    const int orf2 = gridRow(s, "ORF2", "News");
    edit(orf2, 4, "ORF Zwei");
    ASSERT_TRUE(s.app().state().FavDirty);
    // The table the user picks is gone by the time it is opened.
    s.form().setItems("List1", {"Vanished"}, 0);
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Yes);
    s.ports().expectMessage(MessageAnswer::Ok);  // the failure of ShowTable
    s.click("Command2");
    const auto channels = exportedRows(file, "CHANNELS");
    EXPECT_TRUE(hasRow(channels, "2,\"ORF Zwei\",\"S19E\",\"ORF\",101,1,11953,170,13,171"))
        << ::testing::PrintToString(channels);
}

TEST(WholeProgram, EveryButtonWithACommandRunsOnTheDemoDatabase) {
    VELMORA_REQUIRE_READERS();
    EditingSession s;
    const std::string file = (s.folder() / "demo.mdb").string();
    const jet_testing::ProcessResult demo =
        jet_testing::runCommand(std::string(VELMORA_BIN_DIR) + "/velmora-db demo " +
                                jet_testing::shellQuote(file) + " --channels 300 --seed 3 2>&1");
    ASSERT_EQ(demo.status, 0) << demo.out;
    startOn(s, file);
    // Every button of the main window the program installed a command for, pressed once from
    // the channel list with its first row current, answered as a cautious user answers. A
    // message not listed here, or a listed one not shown, fails the test. Compacting ends the
    // program, Settings opens its own window and "Take over from..." its file dialog: they
    // have tests of their own.
    const ExpectedMessage kCancelQuestion{std::nullopt, MessageButtons::OkCancel, MessageIcon::None,
                                          MessageAnswer::Cancel};
    struct Press {
        const char* button;
        std::vector<ExpectedMessage> messages;
    };
    const Press presses[] = {
        {"Command2", {}},
        {"Command3", {}},
        {"Command4", {kCancelQuestion}},
        {"Command5", {kCancelQuestion}},
        {"Command6", {}},
        {"Command7", {}},
        // The demo database stores channels on several frequencies.
        {"Command8",
         {{"ReNumber is only possible without duplicates (same channel with two (or "
           "more) frequencies)",
           MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok}}},
        // The first row's channel is in no group: Delete Selection says why nothing goes.
        {"Command9",
         {{"A channel without a favourite group (ZZZZ) was not deleted:\r\n'Delete Selection' "
           "takes a channel out of its group and deletes it only together with its last group",
           MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok}}},
        {"Command10", {}},
        {"Command12", {}},
        {"Command14", {}},
        {"Command15", {}},
    };
    std::vector<std::string> pressed;
    for (const Press& p : presses) {
        SCOPED_TRACE(p.button);
        s.click("Command3");
        s.grid().userSelectCell(1, 1, false);
        for (const ExpectedMessage& m : p.messages)
            s.ports().expectMessage(m);
        if (s.app().dispatcher().hasHandler(core::app::kMainFormName, p.button,
                                            core::form::EventKind::Click)) {
            s.click(p.button);
            pressed.push_back(p.button);
        }
        s.ports().verify();
    }
    // Every button with a handler is in the table above.
    for (const core::form::Control& c : s.form().controls()) {
        if (c.kind == core::form::ControlKind::Button && c.name != "Command11" &&
            c.name != "Command13" && c.name != "Command16" &&
            s.app().dispatcher().hasHandler(core::app::kMainFormName, c.name,
                                            core::form::EventKind::Click)) {
            EXPECT_NE(std::find(pressed.begin(), pressed.end(), c.name), pressed.end()) << c.name;
        }
    }
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
