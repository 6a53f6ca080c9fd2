// ReNumber in whole sessions over real channel files: the numbers follow the grid's order
// and are shared by the rows of one channel, the refusals change nothing, a row that cannot
// be found again leaves every number as it was, and the favourite positions stay as they were.
#include "core/maintenance/renumber.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "core/maintenance/maintenance_file.h"
#include "core/views/channel_list.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace col = core::views::channel_col;

constexpr char kWriteError[] = "ERROR writing to database";

// ORF1 in three groups, the rest in one or none; numbers out of order; no duplicates.
ChannelFile threeGroupFile() {
    ChannelFile layout;
    layout.channels = {{5, "ORF1", "S19E", 100, 1, 11953},
                       {1, "Zeta", "S19E", 101, 1, 11953},
                       {9, "Arte", "S'1", 102, 1, 12692},
                       {2, "Kika", "S13E", 103, 3, 11000}};
    layout.favourites = {{"News", 1, "S19E", 100, 1},
                         {"Sport", 4, "S19E", 100, 1},
                         {"Kids", 7, "S19E", 100, 1},
                         {"Kids", 2, "S13E", 103, 3},
                         {"News", 3, "S'1", 102, 1}};
    return layout;
}

std::map<std::string, std::string> storedNumbers(const std::string& file) {
    std::map<std::string, std::string> numbers;
    const auto names = storedColumn(file, 1);
    const auto nums = storedColumn(file, 0);
    for (std::size_t i = 0; i < names.size(); ++i)
        numbers[names[i]] = nums[i];
    return numbers;
}

TEST(ReNumber, NumbersFollowTheGridOrderAndRowsOfOneChannelShareTheirs) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        int sortColumn;
        std::map<std::string, std::string> expected;
    };
    const std::vector<Case> cases = {
        // By group: Kids (Kika 2, ORF1 7), News (Arte, ORF1), Sport (ORF1), none (Zeta).
        {col::kFavorite,
         {{"\"Kika\"", "1"}, {"\"ORF1\"", "2"}, {"\"Arte\"", "3"}, {"\"Zeta\"", "4"}}},
        // Alphabetically by name, one number per channel.
        {col::kName, {{"\"Arte\"", "1"}, {"\"Kika\"", "2"}, {"\"ORF1\"", "3"}, {"\"Zeta\"", "4"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sortColumn);
        AppSession s;
        const std::string file = writeFile(s.folder() / "WinSTB.mdb", threeGroupFile());
        const auto favouritesBefore = storedRows(file, "FAVOURITE");
        startOn(s, file);
        core::grid::GridModel& g = s.app().grid();
        ASSERT_TRUE(g.setCol(c.sortColumn).isOk());
        g.sortGenericAscending();
        s.click("Command8");
        EXPECT_TRUE(s.ports().messages().empty());
        for (int r = 1; r < g.rows(); ++r)
            EXPECT_EQ(s.cell(r, col::kNum), c.expected.at("\"" + s.cell(r, col::kName) + "\""))
                << "row " << r << " of the grid, which is not rebuilt";
        EXPECT_EQ(storedNumbers(file), c.expected);
        EXPECT_EQ(storedRows(file, "FAVOURITE"), favouritesBefore) << "positions untouched";
        expectFileChecks(file);
    }
}

TEST(ReNumber, FiltersDuplicatesAndOtherViewsLeaveEverythingAsItWas) {
    AppSession s;
    ChannelFile layout = threeGroupFile();
    // A Null frequency does not count: Zeta stays a single channel.
    layout.primaryKey = false;
    layout.channels.push_back({6, "Zeta", "S19E", 101, 1, -1});
    const std::string file = writeFile(s.folder() / "WinSTB.mdb", layout);
    startOn(s, file);
    auto numbers = [&] { return s.column(col::kNum); };
    const auto before = numbers();

    s.click("Check_Radio");  // TV only
    s.ports().expectMessage(
        "ReNumber is only possible for all channels (no filters like Radio only...)",
        MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.click("Command8");
    s.click("Check_Radio");
    s.ports().verify();

    // The grid's edits are saved first (OK); Zeta's row without frequency is found as such,
    // by the save and by ReNumber.
    s.app().state().FavDirty = true;
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Cancel);
    s.click("Command8");
    EXPECT_EQ(numbers(), before) << "Cancel changes nothing";
    EXPECT_TRUE(s.app().state().FavDirty);
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::OkCancel,
                            MessageIcon::None, MessageAnswer::Ok);
    s.ports().expectMessage(
        "Channel numbers are not subsequent - may be due to duplicates or missing numbers",
        MessageButtons::Ok, MessageIcon::Information, MessageAnswer::Ok);
    s.click("Command8");
    s.ports().verify();
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2", "3", "3", "3", "4", "5"}));

    // A channel on two frequencies refuses.
    auto channels = s.app().db().openRecordset(
        "SELECT FREQUENCY FROM CHANNELS WHERE NAME = "
        "'Zeta' AND FREQUENCY Is Null",
        engine::dao::RecordsetType::Dynaset);
    ASSERT_FALSE(channels.eof());
    channels.edit();
    channels.field(0).setValue("12000");
    channels.update();
    channels.close();
    s.app().db().commit();
    s.click("Command3");
    const auto reloaded = numbers();
    s.ports().expectMessage(
        "ReNumber is only possible without duplicates (same channel with two (or more) "
        "frequencies)",
        MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.click("Command8");
    s.ports().verify();
    EXPECT_EQ(numbers(), reloaded);

    // Outside the channel list the command does nothing at all, not even ask.
    const std::size_t shown = s.ports().messages().size();
    s.app().state().CurrentView = core::app::kViewFavorites;
    s.app().state().FavDirty = true;
    s.app().commands().run(core::app::command::kReNumber);
    EXPECT_EQ(numbers(), reloaded);
    EXPECT_EQ(s.ports().messages().size(), shown);
}

// Every row is stored or none: one row that cannot be stored leaves every number as it was,
// in the file and in the grid, with one message. A Null frequency, a source with a quote and
// a key cell that shows its number another way than the file does are found like any other.
TEST(ReNumber, StoresEveryRowOrNone) {
    VELMORA_REQUIRE_READERS();
    struct Case {
        const char* what;
        bool nullFrequency;    // Zeta also stored without frequency
        const char* kikaCell;  // Kika's frequency as the grid shows it; nullptr: as loaded
        bool fails;
    };
    const std::vector<Case> cases = {
        {"every row found", false, nullptr, false},
        {"a Null frequency", true, nullptr, false},
        {"a frequency shown another way than stored", false, "11000.0", false},
        {"a frequency with a decimal comma", true, "11000,5", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppSession s;
        ChannelFile layout = threeGroupFile();
        if (c.nullFrequency) {
            layout.primaryKey = false;
            layout.channels.push_back({6, "Zeta", "S19E", 101, 1, -1});
        }
        const std::string file = writeFile(s.folder() / "WinSTB.mdb", layout);
        const auto storedBefore = storedRows(file, "CHANNELS");
        startOn(s, file);
        core::grid::GridModel& g = s.app().grid();
        if (c.kikaCell != nullptr) {
            const int kika = gridRow(s, "Kika", "Kids");
            ASSERT_GT(kika, 0);
            ASSERT_TRUE(g.setTextMatrix(kika, col::kFrequency, c.kikaCell).isOk());
        }
        const auto shownBefore = s.column(col::kNum);
        if (c.fails)
            s.ports().expectMessage(kWriteError, MessageButtons::Ok, MessageIcon::None,
                                    MessageAnswer::Ok);
        s.click("Command8");
        s.ports().verify();
        EXPECT_FALSE(s.ports().isWaitCursor());
        if (c.fails) {
            EXPECT_EQ(s.column(col::kNum), shownBefore);
            EXPECT_EQ(storedRows(file, "CHANNELS"), storedBefore);
            continue;
        }
        // By channel number: Zeta 1, Kika 2, ORF1 5 (three rows), Zeta without frequency 6,
        // Arte 9; every row stored with the number the grid shows.
        std::vector<std::string> expected = {"1", "2", "3", "3", "3", "4"};
        if (c.nullFrequency)
            expected.push_back("5");
        EXPECT_EQ(s.column(col::kNum), expected);
        std::vector<std::string> stored = storedColumn(file, 0);
        std::sort(stored.begin(), stored.end());
        std::vector<std::string> channels = {"1", "2", "3", "4"};
        if (c.nullFrequency)
            channels.push_back("5");
        EXPECT_EQ(stored, channels);
        expectFileChecks(file);
    }
}

}  // namespace
}  // namespace velmora::test
