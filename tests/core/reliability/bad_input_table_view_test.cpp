// Bad input in the explorer's table views (bad_input.h): cells typed and stored at once, and
// the row commands, over tables and fields named with blanks and keywords.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/explorer/paste_rows.h"
#include "core/grid/virtual_keys.h"
#include "core/reliability/bad_input.h"
#include "support/editing_session.h"
#include "support/explorer_session.h"
#include "support/file_rows.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

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
        {"a table named Order", "Order", "Text", "x'y [z]", exported("x'y [z]"), ""},
        {"a number in the table named Order", "Order", "Key", "7", std::string("7"), ""},
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
        s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
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
        startOn(s, file);
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

// A Jet 3 file keeps its text in its code page (Windows-1252 here): typed text that code page
// holds is stored, Greek and Cyrillic are refused with the engine's number and change nothing.
TEST(BadInput, Jet3TextOutsideItsCodePage) {
    VELMORA_REQUIRE_READERS();
    const std::filesystem::path fixture =
        std::filesystem::path(velmora::test::sharedDir()) / "fixtures" / "jet" / "testV1997.mdb";
    if (!std::filesystem::exists(fixture))
        GTEST_SKIP() << "the shared fixtures are not at " << fixture;
    struct Case {
        const char* what;
        std::string typed;
        std::string message;  // empty: stored
    };
    const std::vector<Case> cases = {
        {"umlauts and the euro sign", "Größe € †", ""},
        {"Greek", "Ελληνικά", "Error 3421"},
        {"Cyrillic", "Кириллица", "Error 3421"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditingSession s;
        const std::filesystem::path file = s.folder() / "jet3.mdb";
        std::filesystem::copy_file(fixture, file);
        std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        const FileRows before = fileRows(file.string());
        // A file without the receiver's tables: the channel list says so, the explorer works.
        s.ports().expectMessage(ports::MessageAnswer::Ok);
        ASSERT_TRUE(s.startOn(file.string()));
        s.ports().verify();
        ASSERT_EQ(s.ports().messages().size(), 1u);
        EXPECT_EQ(s.ports().messages()[0].text.substr(0, 10), "Error 3078");
        const std::vector<std::string>& tables = s.control("List1").items;
        const auto listed = std::find(tables.begin(), tables.end(), "Table1");
        ASSERT_NE(listed, tables.end());
        s.form().setListIndex("List1", static_cast<int>(listed - tables.begin()));
        s.click("Command2");
        const std::string old = s.cell(1, 2);
        if (!c.message.empty())
            s.ports().expectMessage(
                {c.message, std::nullopt, std::nullopt, ports::MessageAnswer::Ok});
        s.dblClick(1, 2);
        s.type(c.typed);
        s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
        s.ports().verify();
        EXPECT_EQ(s.cell(1, 2), c.message.empty() ? c.typed : old);
        s.app().db().close();
        expectFileChecks(file.string());
        const RowChanges changes = rowChanges(before, fileRows(file.string()));
        if (!c.message.empty()) {
            EXPECT_TRUE(changes.empty()) << describe(changes);
            continue;
        }
        ASSERT_EQ(changes.came.count("Table1"), 1u) << describe(changes);
        ASSERT_EQ(changes.came.at("Table1").size(), 1u) << describe(changes);
        EXPECT_NE(changes.came.at("Table1")[0].find(exported(c.typed)), std::string::npos)
            << describe(changes);
        EXPECT_EQ(changes.came.size() + changes.gone.size(), 2u) << describe(changes);
    }
}

}  // namespace
}  // namespace velmora::test
