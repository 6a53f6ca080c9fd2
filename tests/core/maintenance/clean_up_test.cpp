// "Delete empty channels" and "Delete SpecialChars" over real channel files: what they change
// in CHANNELS, what they leave (FAVOURITE, Null names), Cancel, the channel list shown again,
// and a failure in the middle leaving the file as it was.
#include <gtest/gtest.h>

#include "core/maintenance/channel_number_limit.h"
#include "core/maintenance/delete_empty_channels.h"
#include "core/maintenance/delete_special_chars.h"
#include "core/maintenance/maintenance_file.h"
#include "core/views/channel_list.h"

namespace velmora::test {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

constexpr char kEmptyInfo[] =
    "This command will delete all channels which WinSTB has marked as 'empty' (necessary only "
    "after a new channelscan). \r\nAlert: Remaining Channels will be renumbered!";
constexpr char kSpecialInfo[] =
    "This command will delete all special characters (like +) in the channel-names";

TEST(SpecialChars, DaggersGoBlanksAtTheEndsGoEverythingElseStays) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\u2020ARD\u2021 ", "ARD"},
        {"Sport+", "Sport+"},
        {"   ORF1", "ORF1"},
        {"\u2020 ARD \u2021", "ARD"},
        {"Das \u2020Erste\u2021", "Das Erste"},
        {"\u2020\u2021", ""},
        {"Ö1 \u2022 Klassik", "Ö1 \u2022 Klassik"},  // a bullet is no control code
        {"", ""}};
    for (const auto& [name, cleaned] : cases)
        EXPECT_EQ(core::maintenance::withoutSpecialChars(name), cleaned) << name;
}

ChannelFile cleanUpFile() {
    ChannelFile layout;
    layout.channels = {
        {7, "\u2020ARD\u2021 ", "S19E", 100, 1, 11953}, {3, "(empty)", "S19E", 101, 1, 11953},
        {3, "  ZDF+", "S19E", 102, 1, 11953},           {9, "(empty) ", "S19E", 103, 1, 11953},
        {1, "(empty)", "S13E", 104, 1, 11000},          {12, "Kika", "S13E", 105, 1, 11000}};
    layout.favourites = {{"News", 4, "S19E", 100, 1}, {"News", 9, "S19E", 101, 1}};
    return layout;
}

TEST(DeleteEmptyChannels, DeletesTheMarkedRowsAndNumbersTheRestInStoredOrder) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    const std::string file = writeFile(s.folder() / "WinSTB.mdb", cleanUpFile());
    const auto favouritesBefore = storedRows(file, "FAVOURITE");
    startOn(s, file);
    s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Cancel);
    s.click("Command4");
    EXPECT_EQ(storedColumn(file, 0), (std::vector<std::string>{"7", "3", "3", "9", "1", "12"}));

    s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.click("Command4");
    s.ports().verify();
    // "(empty) " with a blank is an ordinary name.
    EXPECT_EQ(storedColumn(file, 1), (std::vector<std::string>{"\"\u2020ARD\u2021 \"", "\"  ZDF+\"",
                                                               "\"(empty) \"", "\"Kika\""}));
    EXPECT_EQ(storedColumn(file, 0), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(storedRows(file, "FAVOURITE"), favouritesBefore) << "assignments stay";
    // The channel list was shown, so it shows the file again.
    EXPECT_EQ(s.column(core::views::channel_col::kNum),
              (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(s.label(), "4 Channels");
    expectFileChecks(file);

    // Run again, nothing is marked: the numbers are given again all the same.
    s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.click("Command4");
    EXPECT_EQ(storedColumn(file, 0), (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST(DeleteEmptyChannels, AnEmptyTableIsNoFaultAndAFailingNumberLeavesTheFileAsItWas) {
    {
        // Every channel marked: the table ends empty, nothing to number, no message.
        AppSession s;
        ChannelFile layout;
        layout.channels = {{1, "(empty)", "S19E", 100, 1, 11953},
                           {2, "(empty)", "S19E", 101, 1, 1}};
        const std::string file = writeFile(s.folder() / "WinSTB.mdb", layout);
        startOn(s, file);
        s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                                MessageAnswer::Ok);
        s.click("Command4");
        s.ports().verify();
        EXPECT_EQ(s.app().grid().dataRowCount(), 0);
        EXPECT_TRUE(s.app().db().openRecordset("SELECT NAME FROM CHANNELS").eof());
    }
    {
        // CHANNELNUM as a byte column: the 256th number does not fit. The command is
        // abandoned as a whole; the marked row and all the old numbers are still there.
        AppSession s;
        ChannelFile layout;
        layout.shapeChannels = [](engine::store::TableSchema& schema) {
            schema.columns[0].type = engine::store::ColumnType::Byte;
            schema.columns[0].length = 1;
        };
        layout.channels.push_back({200, "(empty)", "S19E", 1, 1, 11953});
        for (int i = 0; i < 300; ++i)
            layout.channels.push_back({i % 200, "C" + std::to_string(i), "S19E", 10 + i, 1, 1});
        const std::string file = writeFile(s.folder() / "WinSTB.mdb", layout);
        startOn(s, file);
        s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                                MessageAnswer::Ok);
        ExpectedMessage failure;
        failure.buttons = MessageButtons::Ok;
        s.ports().expectMessage(failure);
        s.click("Command4");
        s.ports().verify();
        EXPECT_EQ(s.ports().messages().back().text.rfind("Error ", 0), 0u)
            << s.ports().messages().back().text;
        auto rs = s.app().db().openRecordset(
            "SELECT CHANNELNUM FROM CHANNELS WHERE NAME = "
            "'(empty)'");
        EXPECT_FALSE(rs.eof());
        if (jet_testing::haveMdbTools()) {
            const auto nums = storedColumn(file, 0);
            ASSERT_EQ(nums.size(), 301u);
            EXPECT_EQ(nums[0], "200");
            EXPECT_EQ(nums[300], "99");
        }
    }
}

TEST(ChannelNumberLimit, MoreThan32767ChannelsAreRefusedBeforeAnythingChanges) {
    AppSession s;
    const int channels = core::maintenance::kMaxChannelNumber + 1;
    const std::string path = s.addDatabaseBuiltBy("WinSTB.mdb", [&](auto& db) {
        testing::addWinStbTables(db, {.primaryKey = true, .standardRows = false});
        auto table = db.table("CHANNELS");
        ASSERT_TRUE(table.isOk());
        using namespace testing::winstb;
        (*table)->append({num(1), text("(empty)"), text("S19E"), text("P"), num(0), num(1), num(1),
                          num(0), num(0), num(0)});
        for (int i = 1; i <= channels; ++i)
            (*table)->append({num(channels + 1 - i), text("C"), text("S19E"), text("P"), num(i),
                              num(1), num(1), num(0), num(0), num(0)});
        ASSERT_TRUE(db.commit().isOk());
    });
    startOn(s, path);
    const std::string refusal = "Channel numbers go up to 32767: 32768 channels cannot be numbered";
    s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.ports().expectMessage(refusal, MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.click("Command4");
    s.ports().verify();
    EXPECT_FALSE(s.app().db().openRecordset("SELECT NAME FROM CHANNELS WHERE SID = 0").eof());

    // With the marked row gone there are 32 768 channels to number: ReNumber refuses too.
    s.app().db().execute(core::maintenance::kDeleteEmptyStatement);
    s.app().db().commit();
    s.click("Command3");
    // Sorted by SID the list runs from the highest number down: numbering would change it.
    ASSERT_TRUE(s.app().grid().setCol(core::views::channel_col::kSid).isOk());
    s.app().grid().sortGenericAscending();
    const auto before = s.column(core::views::channel_col::kNum);
    ASSERT_EQ(before.front(), "32768");
    s.ports().expectMessage(refusal, MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.click("Command8");
    s.ports().verify();
    EXPECT_EQ(s.column(core::views::channel_col::kNum), before);
    auto rs = s.app().db().openRecordset("SELECT CHANNELNUM FROM CHANNELS WHERE SID = 1");
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(0).text(), "32768");
    rs.close();

    // One of the 32 768 marked empty: the delete leaves exactly as many as can be numbered,
    // numbered in stored order (SID k is the k-th row left after SID 1).
    s.app().db().execute("UPDATE CHANNELS SET NAME = '(empty)' WHERE SID = 1");
    s.app().db().commit();
    s.ports().expectMessage(kEmptyInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.click("Command4");
    s.ports().verify();
    auto count = [&](const char* sql) {
        auto counted = s.app().db().openRecordset(sql, engine::dao::RecordsetType::Snapshot);
        return counted.field(0).text();
    };
    EXPECT_EQ(count("SELECT Count(*) FROM CHANNELS"), "32767");
    EXPECT_EQ(count("SELECT Count(*) FROM CHANNELS WHERE CHANNELNUM <> SID - 1"), "0");
    EXPECT_EQ(count("SELECT Max(CHANNELNUM) FROM CHANNELS"), "32767");
}

TEST(DeleteSpecialChars, CleansEveryNameLeavesNullAndTheFavouritesAlone) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    ChannelFile layout = cleanUpFile();
    layout.more = [](engine::store::Database& db) {
        auto channels = db.table("CHANNELS");
        ASSERT_TRUE(channels.isOk());
        using namespace testing::winstb;
        (*channels)->append({num(20), Value(), text("S13E"), text("P"), num(300), num(1),
                             num(11000), num(0), num(0), num(0)});
        (*channels)->append({num(21), text("\u2020\u2021"), text("S13E"), text("P"), num(301),
                             num(1), num(11000), num(0), num(0), num(0)});
    };
    const std::string file = writeFile(s.folder() / "WinSTB.mdb", layout);
    const auto favouritesBefore = storedRows(file, "FAVOURITE");
    const auto numbersBefore = storedColumn(file, 0);
    startOn(s, file);
    s.ports().expectMessage(kSpecialInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Cancel);
    s.click("Command5");
    EXPECT_EQ(storedColumn(file, 1)[0], "\"\u2020ARD\u2021 \"") << "Cancel changes nothing";

    // From another view: the file changes, the grid stays as it is.
    s.click("Command12");  // the favourites view
    const auto favouritesGrid = s.column(1);
    s.ports().expectMessage(kSpecialInfo, MessageButtons::OkCancel, MessageIcon::None,
                            MessageAnswer::Ok);
    s.click("Command5");
    s.ports().verify();
    EXPECT_EQ(s.app().state().CurrentView, "Favorites");
    EXPECT_EQ(s.column(1), favouritesGrid);
    EXPECT_EQ(storedColumn(file, 1),
              (std::vector<std::string>{"\"ARD\"", "\"(empty)\"", "\"ZDF+\"", "\"(empty)\"",
                                        "\"(empty)\"", "\"Kika\"", "", ""}));
    // mdb-export prints Null and empty text alike: ask the file which is which.
    auto rs = s.app().db().openRecordset("SELECT SID, NAME FROM CHANNELS WHERE SID >= 300");
    for (; !rs.eof(); rs.moveNext()) {
        const bool wasNull = rs.field(0).text() == "300";
        EXPECT_EQ(rs.field(1).isNull(), wasNull);
        EXPECT_EQ(rs.field(1).text(), "");
    }
    EXPECT_EQ(storedColumn(file, 0), numbersBefore);
    EXPECT_EQ(storedRows(file, "FAVOURITE"), favouritesBefore);
    expectFileChecks(file);
}

}  // namespace
}  // namespace velmora::test
