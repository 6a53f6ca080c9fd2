// A channel file that another program holds open for writing: Velmora shows at a glance that
// it may only read it (a note after the window's caption, the reason on the frame under the
// grid), and every command that would write says why it cannot before it changes the grid;
// the file stays byte for byte as it was.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/app/command_names.h"
#include "core/grid/virtual_keys.h"
#include "support/channel_file.h"

namespace velmora::test {
namespace {

namespace vk = core::grid::vk;
using core::ports::MessageAnswer;

std::vector<std::string> gridRows(AppSession& s) {
    std::vector<std::string> rows;
    const core::grid::GridModel& g = s.app().grid();
    for (int r = 0; r < g.rows(); ++r) {
        std::string line;
        for (int c = 0; c < g.cols(); ++c)
            line += std::string(g.textMatrix(r, c)) + "\t";
        rows.push_back(line);
    }
    return rows;
}

struct WritingCommand {
    const char* what;
    std::function<void(AppSession&)> showView;  // leaves the view the command works in
    std::function<void(AppSession&)> run;
};

void showTable(AppSession& s, const std::string& name) {
    const auto& items = s.form().control("List1").items;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == name)
            s.form().setListIndex("List1", static_cast<int>(i));
    s.click("Command2");
}

void selectFirstRows(AppSession& s, int rows) {
    s.app().grid().userSelectCell(1, 1, false);
    s.app().grid().userSelectCell(rows, 1, true);
}

TEST(AFileAnotherProgramHolds, IsShownReadOnlyAndEveryWritingCommandSaysWhyFirst) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    auto holder = engine::jet::openStoreDatabase(file, engine::io::Env::real());
    ASSERT_TRUE(holder.isOk());
    ASSERT_FALSE((*holder)->isReadOnly());
    const auto before = jet_testing::readFileBytes(file);
    startOn(s, file);
    ASSERT_TRUE(s.app().db().isReadOnly());
    const std::string reason = s.app().db().readOnlyReason();
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(s.form().title(), s.form().caption() + " - read-only");
    EXPECT_EQ(s.form().control("Frame4").caption,
              "read-only: file already in use (another program holds a lock on it).");

    auto channelList = [](AppSession& a) { a.click("Command3"); };
    auto groups = [](AppSession& a) { a.click("Command6"); };
    auto settingsTable = [](AppSession& a) { showTable(a, "SETTINGS"); };
    auto deleteKey = [](AppSession& a) {
        selectFirstRows(a, 2);
        a.app().grid().raiseKeyUp(vk::kDelete, 0);
    };
    auto command = [](const char* name) {
        return [name](AppSession& a) { a.app().commands().run(name); };
    };
    const WritingCommand commands[] = {
        {"Save Fav. Channels", channelList, [](AppSession& a) { a.click("Command7"); }},
        {"Delete Selection", channelList, deleteKey},
        {"ReNumber", channelList, [](AppSession& a) { a.click("Command8"); }},
        {"Delete empty channels", channelList, [](AppSession& a) { a.click("Command4"); }},
        {"Delete SpecialChars", channelList, [](AppSession& a) { a.click("Command5"); }},
        {"Delete in the groups view", groups, deleteKey},
        {"AddNew in the groups view", groups, command(core::app::command::kAddNewGroup)},
        {"renaming a group", groups,
         [](AppSession& a) {
             a.app().grid().userSelectCell(1, 1, false);
             a.app().grid().raiseDblClick();
         }},
        {"Delete in a table view", settingsTable, deleteKey},
        {"AddNew in a table view", settingsTable, command(core::app::command::kAddNewRow)},
        {"Paste in a table view", settingsTable,
         [](AppSession& a) {
             a.ports().setText("Volume\t99\r\n");
             a.app().commands().run(core::app::command::kPasteRows);
         }},
        // The duplicates view is built through a table of its own in the file.
        {"Show/Edit Duplicates", channelList, [](AppSession& a) { a.click("Command15"); }},
    };
    for (const WritingCommand& c : commands) {
        SCOPED_TRACE(c.what);
        c.showView(s);
        const std::size_t shownMessages = s.ports().messages().size();
        const auto shown = gridRows(s);
        s.ports().expectMessage(MessageAnswer::Ok);
        c.run(s);
        ASSERT_EQ(s.ports().messages().size(), shownMessages + 1);
        const std::string& message = s.ports().messages().back().text;
        EXPECT_EQ(message, "ERROR writing to database\r\n" + file + "\r\n" + reason);
        EXPECT_EQ(gridRows(s), shown);
        EXPECT_FALSE(s.form().control("Text1").visible) << "no editor opened";
    }
    EXPECT_EQ(jet_testing::readFileBytes(file), before);
}

}  // namespace
}  // namespace velmora::test
