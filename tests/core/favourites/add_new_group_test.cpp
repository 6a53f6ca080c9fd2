// AddNew in the groups view, in whole sessions over a real demo file: the first free NEWi is
// added with i as its number, and a FAVNAME table that takes no new group stops the command
// with one message instead of trying forever.
#include "core/favourites/add_new_group.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "demo/demo_schema.h"
#include "support/explorer_session.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// FAVNAME with the groups NEW1 .. NEWn added.
std::function<void(demo::DemoDatabase&)> withNewGroups(int n) {
    return [n](demo::DemoDatabase& content) {
        for (demo::DemoTable& table : content.tables) {
            if (table.schema.name != demo::kFavnameTable)
                continue;
            for (int i = 1; i <= n; ++i)
                table.rows.push_back({std::string("NEW") + std::to_string(i), i});
        }
    };
}

TEST(AddNewGroup, AddsTheFirstFreeNameOrStopsWithOneMessage) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* name;
        int existing;   // NEW1 .. NEWexisting are there before
        bool readOnly;  // the file is marked read-only
        std::string added;
        std::string messageStart;  // empty: no message
    };
    const Case cases[] = {
        {"no NEW group yet", 0, false, "NEW1", ""},
        {"NEW1 and NEW2 exist", 2, false, "NEW3", ""},
        {"every name up to the bound exists", core::favourites::kAddNewGroupAttempts, false, "",
         "No group was added: NEW1 to NEW1000 exist already."},
        {"a read-only file", 0, true, "", "ERROR writing to database\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExplorerSession s;
        const std::string file =
            writeDemoFile(s.folder() / "WinSTB.mdb", withNewGroups(c.existing));
        if (c.readOnly)
            fs::permissions(
                file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
        startOn(s, file);
        ASSERT_NO_FATAL_FAILURE(s.showGroups());
        const int before = s.dataRows();
        const auto groupsBefore = exportedRows(file, "FAVNAME");
        if (!c.messageStart.empty())
            s.ports().expectMessage(ports::MessageAnswer::Ok);
        s.popup(kPopupAddNew);
        s.ports().verify();
        if (!c.messageStart.empty()) {
            ASSERT_FALSE(s.ports().messages().empty());
            EXPECT_TRUE(s.ports().messages().back().text.starts_with(c.messageStart))
                << s.ports().messages().back().text;
        }

        const auto groups = exportedRows(file, "FAVNAME");
        if (c.added.empty()) {
            EXPECT_EQ(s.dataRows(), before);
            EXPECT_EQ(groups, groupsBefore);
            continue;
        }
        const std::string number = c.added.substr(3);
        EXPECT_EQ(s.dataRows(), before + 1);
        const int last = s.app().grid().rows() - 1;
        EXPECT_EQ(s.cell(last, 1), c.added);
        EXPECT_EQ(s.cell(last, 2), number);
        EXPECT_EQ(s.app().grid().row(), last);
        EXPECT_EQ(s.label(), std::to_string(before + 1) + " Groups");
        EXPECT_EQ(groups.size(), groupsBefore.size() + 1);
        EXPECT_TRUE(hasRow(groups, "\"" + c.added + "\"," + number));
        expectFileChecks(file);
    }
}

}  // namespace
}  // namespace velmora::test
