// Awkward input through the commands the user types it into, over real demo files: every case
// either works or says why it cannot, and the file then differs from before in exactly the
// rows the command meant to change (every table compared as mdbtools reads it), passes
// velmora-db check, and reads back what was typed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/db/sql_literal.h"
#include "core/editing/editing_session.h"
#include "core/explorer/explorer_session.h"
#include "core/explorer/paste_rows.h"
#include "core/favourites/channel_file.h"
#include "core/grid/virtual_keys.h"
#include "core/reliability/file_rows.h"
#include "core/views/channel_list.h"
#include "demo/demo_schema.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

// How mdb-export prints a text value: between double quotes, a double quote doubled.
std::string exported(const std::string& text) {
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

const std::string kLong(300, 'L');

// Names and numbers typed into the channel list's NAME and Num cells, then "Save Fav.
// Channels". NAME is Text(50): a longer name fails as a row. Every other row is saved as the
// grid shows it, and a name shown trimmed keeps the blanks it is stored with.
TEST(BadInput, ChannelListCellsSaved) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        int column;
        std::string typed;
        std::optional<std::string> stored;  // the CHANNELS value then; none: nothing changes
        std::vector<std::string> messages;  // what the user is told, in order
    };
    const std::string writeError = "ERROR writing to database";
    const std::vector<Case> cases = {
        {"apostrophes", col::kName, "Rock'n'Roll 'Radio'", "Rock'n'Roll 'Radio'", {}},
        {"double quotes", col::kName, "Say \"Hi\"", "Say \"Hi\"", {}},
        {"brackets", col::kName, "[ARD] (HD) {x}", "[ARD] (HD) {x}", {}},
        {"wildcards and hash", col::kName, "Sky*Sport %1 #2 ?", "Sky*Sport %1 #2 ?", {}},
        {"a tab", col::kName, "News\tLive", "News\tLive", {}},
        {"a line break", col::kName, "News\r\nLive", "News\r\nLive", {}},
        {"blanks at both ends", col::kName, "  ZDF neo  ", "  ZDF neo  ", {}},
        {"300 characters", col::kName, kLong, std::nullopt, {writeError}},
        {"Greek", col::kName, "Ελληνική Τηλεόραση", "Ελληνική Τηλεόραση", {}},
        {"Cyrillic", col::kName, "Первый канал", "Первый канал", {}},
        {"an SQL piece", col::kName, "x' OR '1'='1", "x' OR '1'='1", {}},
        {"an empty number", col::kNum, "", std::nullopt, {writeError}},
        {"letters as number", col::kNum, "abc", std::nullopt, {writeError}},
        {"a number with letters", col::kNum, "12abc", std::nullopt, {writeError}},
        {"SQL as number", col::kNum, "1 OR 1=1", std::nullopt, {writeError}},
        // Not editable, but a cell the grid was given: the group number of an assignment.
        {"letters as group number", col::kFNum, "abc", std::nullopt, {writeError}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeDemoFile(s.folder() / "channels.mdb");
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        // The first row that has a group: every cell of it reaches the file.
        int row = 1;
        while (row < s.grid().rows() && s.cell(row, col::kFavorite) == "ZZZZ")
            ++row;
        ASSERT_LT(row, s.grid().rows());
        if (c.column == col::kFNum) {
            ASSERT_TRUE(s.grid().setTextMatrix(row, c.column, c.typed).isOk());
            s.app().state().FavDirty = true;
        } else {
            s.dblClick(row, c.column);
            s.type(c.typed);
            s.key(core::views::kTextEditor, core::grid::vk::kReturn);
        }
        for (const std::string& m : c.messages)
            s.ports().expectMessage({m, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        s.click("Command7");
        s.ports().verify();
        EXPECT_EQ(s.ports().messages().size(), c.messages.size());
        if (c.stored && c.column == col::kName) {
            // Read again, the name is one whole cell of its row (shown trimmed).
            s.click("Command3");
            EXPECT_GT(s.rowOf(core::db::trimBlanks(*c.stored), col::kName), 0);
        }
        s.app().db().close();

        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        if (!c.stored) {
            EXPECT_TRUE(changes.empty()) << describe(changes);
            continue;
        }
        ASSERT_EQ(changes.gone.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.came.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.came.count("CHANNELS"), 1u) << describe(changes);
        ASSERT_EQ(changes.came.at("CHANNELS").size(), 1u) << describe(changes);
        EXPECT_NE(changes.came.at("CHANNELS")[0].find("," + exported(*c.stored) + ","),
                  std::string::npos)
            << describe(changes);
    }
}

// The demo file with a table whose name has a blank and whose fields are named with a keyword
// or a blank, as a user's own table may be.
std::string writeOddNamesFile(const std::filesystem::path& path) {
    using engine::store::ColumnType;
    using engine::store::Value;
    return writeDemoFile(path, [](demo::DemoDatabase& content) {
        demo::DemoTable odd;
        odd.schema = demo::SchemaBuilder("Order Details")
                         .column("Select", ColumnType::Text, 50)
                         .column("Field Name", ColumnType::Text, 50)
                         .column("Count", ColumnType::Long)
                         .build();
        for (const char* key : {"a", "b", "c"})
            odd.rows.push_back(
                {Value(std::string(key)), Value(std::string("x ") + key), Value(int64_t{key[0]})});
        content.tables.push_back(std::move(odd));
    });
}

// Typed into a cell of a table view and stored at once: text fields take any text up to their
// size, number fields numbers only (an empty cell is not a number either: 3421; too big for the
// field: 3349), and a table or field named with a blank or a keyword works like any other.
TEST(BadInput, TableViewCellsStoredAtOnce) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        const char* table;
        const char* field;
        std::string typed;
        std::optional<std::string> stored;  // the field as mdb-export prints it; none: refused
        std::string message;                // empty: none
    };
    const char* odd = "Order Details";
    const std::vector<Case> cases = {
        {"apostrophes", odd, "Field Name", "It's 'x'", exported("It's 'x'"), ""},
        {"double quotes", odd, "Field Name", "Say \"Hi\"", exported("Say \"Hi\""), ""},
        {"brackets", odd, "Field Name", "[x] (y)", exported("[x] (y)"), ""},
        {"wildcards and hash", odd, "Field Name", "*%#?_", exported("*%#?_"), ""},
        {"a tab", odd, "Field Name", "a\tb", exported("a\tb"), ""},
        {"a line break", odd, "Field Name", "a\r\nb", exported("a\r\nb"), ""},
        {"blanks at both ends", odd, "Field Name", "  x  ", exported("  x  "), ""},
        {"300 characters", odd, "Field Name", kLong, std::nullopt, "Error 3163"},
        {"Greek", odd, "Field Name", "Ελληνικά", exported("Ελληνικά"), ""},
        {"Cyrillic", odd, "Field Name", "Кириллица", exported("Кириллица"), ""},
        {"the key field named Select", odd, "Select", "a'b", exported("a'b"), ""},
        {"empty number", odd, "Count", "", std::nullopt, "Error 3421"},
        {"letters as number", odd, "Count", "abc", std::nullopt, "Error 3421"},
        {"number with letters", odd, "Count", "12abc", std::nullopt, "Error 3421"},
        {"SQL as number", odd, "Count", "1 OR 1=1", std::nullopt, "Error 3421"},
        {"empty SID", "CHANNELS", "SID", "", std::nullopt, "Error 3421"},
        {"letters as SID", "CHANNELS", "SID", "abc", std::nullopt, "Error 3421"},
        {"letters in NID", "CHANNELS", "NID", "12abc", std::nullopt, "Error 3421"},
        {"empty FREQUENCY", "CHANNELS", "FREQUENCY", "", std::nullopt, "Error 3421"},
        {"a number too big for CHANNELNUM", "CHANNELS", "CHANNELNUM", "70000", std::nullopt,
         "Error 3349"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeOddNamesFile(s.folder() / "channels.mdb");
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        const std::vector<std::string>& tables = s.control("List1").items;
        const auto listed = std::find(tables.begin(), tables.end(), c.table);
        ASSERT_NE(listed, tables.end());
        s.form().setListIndex("List1", static_cast<int>(listed - tables.begin()));
        s.click("Command2");
        ASSERT_EQ(s.app().state().CurrentView, c.table);
        int column = 1;
        while (column < s.grid().cols() && s.cell(0, column) != c.field)
            ++column;
        ASSERT_LT(column, s.grid().cols());
        const std::string old = s.cell(1, column);
        if (!c.message.empty())
            s.ports().expectMessage(
                {c.message, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        s.dblClick(1, column);
        s.type(c.typed);
        s.key(core::views::kTextEditor, core::grid::vk::kReturn);
        s.ports().verify();
        EXPECT_EQ(s.cell(1, column), c.stored ? c.typed : old);
        if (c.stored) {
            // Shown again from the file, the value is one whole cell.
            s.click("Command2");
            int shown = 1;
            while (shown < s.grid().rows() && s.cell(shown, column) != c.typed)
                ++shown;
            EXPECT_LT(shown, s.grid().rows());
        }
        s.app().db().close();

        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        if (!c.stored) {
            EXPECT_TRUE(changes.empty()) << describe(changes);
            continue;
        }
        ASSERT_EQ(changes.gone.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.came.size(), 1u) << describe(changes);
        ASSERT_EQ(changes.came.count(c.table), 1u) << describe(changes);
        ASSERT_EQ(changes.came.at(c.table).size(), 1u) << describe(changes);
        const std::string row = "," + changes.came.at(c.table)[0] + ",";
        EXPECT_NE(row.find("," + *c.stored + ","), std::string::npos) << describe(changes);
    }
}

// How many of `rows` hold `text`.
int countHolding(const std::vector<std::string>& rows, const std::string& text) {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](const std::string& r) {
        return r.find(text) != std::string::npos;
    }));
}

// A group renamed in the groups view, then a channel without a group put into it in the
// channel list and saved: the rename reaches every assignment of the group, and the new
// assignment carries the name as stored (a name with blanks at its ends is shown trimmed in the
// channel list). FAVNAME is Text(50): a longer name is refused and renames nothing, as is a
// name the index of FAVNAME cannot sort.
TEST(BadInput, GroupNamesRenamedAndAssigned) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        std::string name;
        std::string message;  // empty: the rename works
    };
    const std::vector<Case> cases = {
        {"apostrophes", "Kids' 'Best'", ""},
        {"double quotes", "The \"Best\"", ""},
        {"brackets", "[Sport] (HD)", ""},
        {"wildcards and hash", "*%#?_", ""},
        {"a tab", "News\tLive", ""},
        {"a line break", "News\r\nLive", ""},
        {"blanks at both ends", "  Late  ", ""},
        {"300 characters", kLong, "Error 3163"},
        // FAVNAME is indexed, and the General sort order's key tables cover Latin letters only.
        {"Greek", "Αθλητικά", "Error 3251"},
        {"Cyrillic", "Новости", "Error 3251"},
        {"a keyword", "Select", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file = writeDemoFile(s.folder() / "channels.mdb");
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        s.click("Command6");
        ASSERT_EQ(s.app().state().CurrentView, "FAVNAME");
        const std::string old = s.cell(1, 1);
        const int assigned = countHolding(before.at("FAVOURITE"), exported(old) + ",");
        ASSERT_GT(assigned, 0) << old;
        if (!c.message.empty())
            s.ports().expectMessage(
                {c.message, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        s.dblClick(1, 1);
        s.type(c.name);
        s.key(core::views::kTextEditor, core::grid::vk::kReturn);
        s.ports().verify();
        if (!c.message.empty()) {
            EXPECT_EQ(s.cell(1, 1), old);
            s.app().db().close();
            const RowChanges changes = rowChanges(before, fileRows(file));
            EXPECT_TRUE(changes.empty()) << describe(changes);
            continue;
        }

        // The channel list shows the group; the first channel without one goes into it.
        s.click("Command3");
        const std::string shown = core::db::trimBlanks(c.name);
        int row = 1;
        while (row < s.grid().rows() && s.cell(row, col::kFavorite) != "ZZZZ")
            ++row;
        ASSERT_LT(row, s.grid().rows());
        s.grid().userSelectCell(row, col::kName, false);
        s.click("Command10");
        const std::vector<std::string>& groups = s.control("List4").items;
        const auto it = std::find(groups.begin(), groups.end(), shown);
        ASSERT_NE(it, groups.end()) << shown;
        s.pick("List4", static_cast<int>(it - groups.begin()));
        EXPECT_EQ(s.cell(row, col::kFavorite), shown);
        s.click("Command7");
        s.ports().verify();
        s.app().db().close();

        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        EXPECT_EQ(changes.gone.count("CHANNELS") + changes.came.count("CHANNELS"), 0u)
            << describe(changes);
        ASSERT_EQ(changes.came.count("FAVNAME"), 1u) << describe(changes);
        EXPECT_EQ(changes.came.at("FAVNAME").size(), 1u) << describe(changes);
        EXPECT_EQ(countHolding(changes.came.at("FAVNAME"), exported(c.name) + ","), 1)
            << describe(changes);
        ASSERT_EQ(changes.came.count("FAVOURITE"), 1u) << describe(changes);
        ASSERT_EQ(changes.gone.count("FAVOURITE"), 1u) << describe(changes);
        EXPECT_EQ(countHolding(changes.gone.at("FAVOURITE"), exported(old) + ","), assigned)
            << describe(changes);
        EXPECT_EQ(static_cast<int>(changes.came.at("FAVOURITE").size()), assigned + 1)
            << describe(changes);
        EXPECT_EQ(countHolding(changes.came.at("FAVOURITE"), exported(c.name) + ","), assigned + 1)
            << describe(changes);
    }
}

// A channel stored without SID, NID or FREQUENCY (possible where CHANNELS has no primary
// key) shows an empty cell, and no statement can name its row. Every channel command that
// writes rows reports that row and leaves it as it is; the file stays sound.
TEST(BadInput, ChannelWithAnEmptyKeyCell) {
    VELMORA_REQUIRE_READERS();
    namespace cc = demo::channels_col;
    struct Case {
        const char* what;
        std::size_t emptied;  // the CHANNELS column stored as Null
        const char* button;
        std::vector<std::string> messages;
    };
    const std::string writeError = "ERROR writing to database";
    const std::vector<Case> cases = {
        {"Save without SID", cc::kSid, "Command7", {writeError}},
        {"Save without NID", cc::kNid, "Command7", {writeError}},
        {"Save without FREQUENCY", cc::kFrequency, "Command7", {writeError}},
        {"ReNumber without SID", cc::kSid, "Command8", {writeError}},
        {"ReNumber without FREQUENCY", cc::kFrequency, "Command8", {writeError}},
        {"Delete Selection without NID", cc::kNid, "Command9", {"Error 3464"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::string file =
            writeDemoFile(s.folder() / "channels.mdb", [&](demo::DemoDatabase& content) {
                demo::DemoTable& channels = content.tables[0];
                channels.schema = demo::channelsSchema(false);
                // One row per channel (ReNumber refuses channels on several frequencies),
                // numbered 1, 2, 3, ... in stored order; the first channel loses the cell.
                std::vector<engine::store::Row> kept;
                std::set<std::string> seen;
                for (engine::store::Row& row : channels.rows) {
                    const std::string key = std::get<std::string>(row[cc::kSourceId]) + "/" +
                                            std::to_string(std::get<int64_t>(row[cc::kSid])) + "/" +
                                            std::to_string(std::get<int64_t>(row[cc::kNid]));
                    if (!seen.insert(key).second)
                        continue;
                    row[cc::kChannelNum] = engine::store::Value(int64_t(kept.size() + 1));
                    kept.push_back(std::move(row));
                }
                kept[0][c.emptied] = engine::store::Value();
                channels.rows = std::move(kept);
            });
        const FileRows before = fileRows(file);
        ASSERT_TRUE(s.startOn(file));
        int row = 1;
        while (row < s.grid().rows() && !s.cell(row, col::kSid + int(c.emptied == cc::kNid) +
                                                         2 * int(c.emptied == cc::kFrequency))
                                             .empty())
            ++row;
        ASSERT_LT(row, s.grid().rows());
        s.grid().userSelectCell(row, col::kName, false);
        for (std::size_t m = 0; m < c.messages.size(); ++m)
            s.ports().expectMessage(ports::MessageAnswer::Ok);
        s.click(c.button);
        s.ports().verify();
        ASSERT_EQ(s.ports().messages().size(), c.messages.size());
        for (std::size_t m = 0; m < c.messages.size(); ++m)  // the first line says it
            EXPECT_EQ(
                s.ports().messages()[m].text.substr(0, s.ports().messages()[m].text.find('\r')),
                c.messages[m]);
        s.app().db().close();
        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        EXPECT_TRUE(changes.empty()) << describe(changes);
    }
}

// The row commands of a table view over a table named with a blank, whose fields are named
// with a keyword and a blank: a paste of awkward text adds exactly its records, a Delete takes
// exactly its record, and text with control bytes is refused with nothing written.
TEST(BadInput, RowCommandsOfATableWithOddNames) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        std::string clip;  // empty: the first row is deleted instead
        std::string message;
        std::size_t gone;
        std::vector<std::string> came;  // the new rows as mdb-export prints them
    };
    const std::vector<Case> cases = {
        {"a paste of quotes, brackets, wildcards and blanks",
         "k1\tIt's \"q\" [x] *%#\t5\r\nk2\t  blanks  \t\r\n",
         "",
         0,
         {"\"k1\",\"It's \"\"q\"\" [x] *%#\",5", "\"k2\",\"  blanks  \","}},
        {"a paste of Greek and Cyrillic",
         "k3\tΕλληνικά\t1\rk4\tКириллица\t2",
         "",
         0,
         {"\"k3\",\"Ελληνικά\",1", "\"k4\",\"Кириллица\",2"}},
        {"a paste with control bytes", "k5\tbell\x07\t1", core::explorer::kPasteNotText, 0, {}},
        {"a delete", "", "Are you sure to delete this Line?", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExplorerSession s;
        const std::string file = writeOddNamesFile(s.folder() / "channels.mdb");
        const FileRows before = fileRows(file);
        s.startOnFile(file);
        ASSERT_NO_FATAL_FAILURE(s.showTable("Order Details"));
        if (!c.message.empty())
            s.ports().expectMessage(
                {c.message, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        if (c.clip.empty()) {
            s.app().grid().userSelectCell(1, 1, false);
            s.popup(kPopupDelete);
        } else {
            s.ports().setText(c.clip);
            s.popup(kPopupPaste);
        }
        s.ports().verify();
        s.app().db().close();

        expectFileChecks(file);
        const RowChanges changes = rowChanges(before, fileRows(file));
        const std::size_t gone =
            changes.gone.count("Order Details") ? changes.gone.at("Order Details").size() : 0;
        EXPECT_EQ(gone, c.gone) << describe(changes);
        EXPECT_EQ(changes.gone.size(), c.gone > 0 ? 1u : 0u) << describe(changes);
        EXPECT_EQ(changes.came.size(), c.came.empty() ? 0u : 1u) << describe(changes);
        if (!c.came.empty()) {
            std::vector<std::string> came = c.came;
            std::sort(came.begin(), came.end());
            ASSERT_EQ(changes.came.count("Order Details"), 1u) << describe(changes);
            EXPECT_EQ(changes.came.at("Order Details"), came) << describe(changes);
        }
    }
}

}  // namespace
}  // namespace velmora::test
