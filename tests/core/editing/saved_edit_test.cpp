// A name typed through the editor and saved reaches the real file: the demo database written
// by velmora-db, a channel renamed to a name with an apostrophe, "Save Fav. Channels", then
// the file read back by our check and by mdbtools. A channel shown in several rows (one per
// group) shows what was typed in every one of them, and that is what is saved.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/favourites/save_fav_channels.h"
#include "core/grid/virtual_keys.h"
#include "core/views/channel_list.h"
#include "support/channel_file.h"
#include "support/editing_session.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
namespace col = core::views::channel_col;

TEST(SavedEdit, NameWithAnApostropheTypedInTheEditorIsInTheFile) {
    const fs::path tool = fs::path(velmora::test::binDir()) / "velmora-db";
    if (!fs::exists(tool))
        GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
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
    s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
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

struct ChannelEdit {
    const char* what;
    const char* name;  // the channel's rows: those showing this name
    int nth;           // the one edited, counted from the top
    int col;
    const char* typed;
    std::vector<std::string> names;   // what the rows that showed `name` show then, top down
    std::vector<std::string> stored;  // CHANNELS rows as mdb-export prints them afterwards
    bool gapReported;                 // the numbers no longer run 1, 2, 3, ...
};

class AChannelInSeveralRows : public ::testing::TestWithParam<ChannelEdit> {};

TEST_P(AChannelInSeveralRows, ShowsAnEditInEachOfThemAndSavesIt) {
    VELMORA_REQUIRE_READERS();
    const ChannelEdit& e = GetParam();
    EditingSession s;
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    ASSERT_TRUE(s.startOn(file));
    std::vector<int> rows;
    for (int r = 1; r < s.grid().rows(); ++r) {
        if (s.cell(r, col::kName) == e.name)
            rows.push_back(r);
    }
    ASSERT_GT(rows.size(), static_cast<size_t>(e.nth));

    s.dblClick(rows[static_cast<size_t>(e.nth)], e.col);
    s.type(e.typed);
    s.key(core::app::control::kTextEditor, core::grid::vk::kReturn);
    std::vector<std::string> shown;
    for (int r : rows)
        shown.push_back(s.cell(r, col::kNum) + " " + s.cell(r, col::kName));
    EXPECT_EQ(shown, e.names);

    if (e.gapReported)
        s.ports().expectMessage(ports::MessageAnswer::Ok);
    s.click("Command7");
    s.ports().verify();
    EXPECT_EQ(s.ports().messages().size(), e.gapReported ? 1u : 0u);
    const auto channels = exportedRows(file, "CHANNELS");
    for (const std::string& line : e.stored)
        EXPECT_TRUE(hasRow(channels, line)) << line << "\n" << ::testing::PrintToString(channels);
    expectFileChecks(file);
}

// ORF1 is in News and in Kids; Sport1 is one channel on two frequencies: two CHANNELS rows.
INSTANTIATE_TEST_SUITE_P(
    Edits, AChannelInSeveralRows,
    ::testing::Values(ChannelEdit{"TheNameOnTheUpperRow",
                                  "ORF1",
                                  0,
                                  col::kName,
                                  "ORF eins",
                                  {"1 ORF eins", "1 ORF eins"},
                                  {"1,\"ORF eins\",\"S19E\",\"ORF\",100,1,11953,160,0,161"},
                                  false},
                      ChannelEdit{"TheNumberOnTheLowerRow",
                                  "ORF1",
                                  1,
                                  col::kNum,
                                  "9",
                                  {"9 ORF1", "9 ORF1"},
                                  {"9,\"ORF1\",\"S19E\",\"ORF\",100,1,11953,160,0,161"},
                                  true},
                      ChannelEdit{"OneFrequencyOfAChannelOnTwo",
                                  "Sport1",
                                  0,
                                  col::kName,
                                  "Sport1 HD",
                                  {"4 Sport1 HD", "5 Sport1"},
                                  {"4,\"Sport1 HD\",\"S19E\",\"DSF\",200,2,12480,210,0,211",
                                   "5,\"Sport1\",\"S19E\",\"DSF\",200,2,12722,210,0,211"},
                                  false}),
    [](const ::testing::TestParamInfo<ChannelEdit>& info) { return info.param.what; });

}  // namespace
}  // namespace velmora::test
