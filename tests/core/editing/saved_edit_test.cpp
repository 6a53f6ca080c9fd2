// A name typed through the editor and saved reaches the real file: the demo database written
// by velmora-db, a channel renamed to a name with an apostrophe, "Save Fav. Channels", then
// the file read back by our check and by mdbtools.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/editing/editing_session.h"
#include "core/favourites/save_fav_channels.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "support/shell_command.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
namespace col = core::views::channel_col;

TEST(SavedEdit, NameWithAnApostropheTypedInTheEditorIsInTheFile) {
    const fs::path tool = fs::path(VELMORA_BIN_DIR) / "velmora-db";
    if (!fs::exists(tool))
        GTEST_SKIP() << "velmora-db is not built in " << VELMORA_BIN_DIR;
    if (runShell("command -v mdb-export").status != 0)
        GTEST_SKIP() << "mdbtools are not installed";
    EditingSession s;
    const fs::path file = s.folder() / "WinSTB.mdb";
    const std::string quoted = "'" + file.string() + "'";
    ASSERT_EQ(runShell(tool.string() + " demo " + quoted + " --channels 40 --seed 7").status, 0);
    ASSERT_TRUE(s.startOn(file.string()));
    core::favourites::installSaveFavChannels(s.app());

    const auto count = [&](const std::string& text, const std::string& name) {
        int n = 0;
        for (auto at = text.find("|" + name + "|"); at != std::string::npos;
             at = text.find("|" + name + "|", at + 1))
            ++n;
        return n;
    };
    const std::string exportCommand = "mdb-export -H -Q -d '|' " + quoted + " CHANNELS";
    const std::string original = runShell(exportCommand).out;
    // A channel whose name the file holds once, as the grid shows it.
    int row = 1;
    while (row < s.grid().rows() && count(original, s.cell(row, col::kName)) != 1)
        ++row;
    ASSERT_LT(row, s.grid().rows());
    const std::string before = s.cell(row, col::kName);

    s.dblClick(row, col::kName);
    s.type("O'Brien TV");
    s.key(core::views::kTextEditor, core::grid::vk::kReturn);
    EXPECT_EQ(s.cell(row, col::kName), "O'Brien TV");
    EXPECT_TRUE(s.app().state().FavDirty);
    s.click("Command7");
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_TRUE(s.ports().messages().empty()) << s.ports().messages().front().text;

    const ShellOutcome check = runShell(tool.string() + " check " + quoted);
    EXPECT_EQ(check.status, 0) << check.out;
    const ShellOutcome names = runShell(exportCommand);
    ASSERT_EQ(names.status, 0) << names.out;
    EXPECT_EQ(count(names.out, "O'Brien TV"), 1) << names.out;
    EXPECT_EQ(count(names.out, before), 0) << before;
}

}  // namespace
}  // namespace velmora::test
