// Bad input as favourite group names (bad_input.h): renamed in the groups view, then assigned
// in the channel list and saved.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/db/sql_literal.h"
#include "core/grid/virtual_keys.h"
#include "core/reliability/bad_input.h"
#include "core/views/channel_list.h"
#include "support/editing_session.h"
#include "support/file_rows.h"

namespace velmora::test {
namespace {

namespace col = core::views::channel_col;

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
        // FAVNAME is indexed: the General sort order has keys for every script of the Basic
        // Multilingual Plane, but none we can build for characters beyond it.
        {"Greek", "Αθλητικά", ""},
        {"Cyrillic", "Новости", ""},
        {"Japanese", "ニュース", ""},
        {"an emoji", "Sport \xF0\x9F\x8F\x86", "Error 3251"},
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
        s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
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

}  // namespace
}  // namespace velmora::test
