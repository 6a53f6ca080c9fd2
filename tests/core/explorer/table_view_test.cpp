// The explorer's table views on a real Jet file, driven as a user drives them: a row is
// found again by the values the grid shows for it, each kind of value is written at once and
// exactly the selected rows are deleted, each write followed by velmora-db check and mdbtools.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/grid/virtual_keys.h"
#include "support/channel_file.h"
#include "support/explorer_session.h"

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

class TableViews : public ::testing::Test {
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

    ExplorerSession s;
    std::string file;
};

TEST_F(TableViews, FindsRowsByTypedValuesAndWritesEachKind) {
    // The explorer lists the user's tables, none with msys in any case.
    EXPECT_EQ(
        s.control("List1").items,
        (std::vector<std::string>{"CHANNELS", "FAVOURITE", "FAVNAME", "Notes", "MSY", "Empty"}));
    s.showTable("Notes");
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
        s.edit(c.row, c.col, c.text);
        EXPECT_EQ(s.cell(c.row, c.col), c.text);
        const auto rows = exportedRows(file, "Notes");
        EXPECT_TRUE(hasRow(rows, c.exported)) << ::testing::PrintToString(rows);
    }
    // Exactly one of the two identical rows changed.
    EXPECT_TRUE(hasRow(exportedRows(file, "Notes"), "9,\"Same\",\"01/31/24 00:00:00\",0,1"));

    // Letters in a number field: the engine's number, and the cell keeps its value.
    s.ports().expectMessage("Error 3421", MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.edit(3, 5, "high");
    EXPECT_EQ(s.cell(3, 5), "2.5");

    // An empty table shows its header only and an empty count.
    s.showTable("Empty");
    EXPECT_EQ(s.grid().rows(), 1);
    EXPECT_EQ(s.control("Label1").caption, "");
}

TEST_F(TableViews, DeletesExactlyTheSelectedRows) {
    s.showTable("Notes");
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

}  // namespace
}  // namespace velmora::test
