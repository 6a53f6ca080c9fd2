// Saving the channel list in a whole program session over an in-memory channel database.
#include "core/favourites/save_fav_channels.h"

#include <gtest/gtest.h>

#include "core/views/channel_list.h"
#include "engine/jet/jet_database.h"
#include "support/app_session.h"
#include "support/channel_file.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
namespace col = core::views::channel_col;

class SaveFavChannelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.storeSetting(SettingKey::Language, "eng");
        s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
        ASSERT_TRUE(s.start());
        core::favourites::installSaveFavChannels(s.app());
    }
    int rowOf(const std::string& name) {
        for (int r = 1; r < s.app().grid().rows(); ++r) {
            if (s.cell(r, col::kName) == name)
                return r;
        }
        return -1;
    }
    std::string channelName(const std::string& sid, const std::string& freq) {
        auto rs = s.app().db().openRecordset("SELECT NAME FROM CHANNELS WHERE SID = " + sid +
                                             " AND FREQUENCY = " + freq);
        return rs.eof() ? "<none>" : rs.field(0).text();
    }
    AppSession s;
};

TEST_F(SaveFavChannelsTest, NameWithApostropheIsStoredAndNumberingIsChecked) {
    const int r = rowOf("ORF1");
    ASSERT_GT(r, 0);
    ASSERT_TRUE(s.app().grid().setTextMatrix(r, col::kName, "O'Brien TV").isOk());
    // The standard numbers run 1..7, so no numbering message is expected.
    s.click("Command7");
    EXPECT_EQ(channelName("100", "11953"), "O'Brien TV");
    EXPECT_FALSE(s.app().state().FavDirty);
}

TEST_F(SaveFavChannelsTest, NonNumericIdentityFailsOnlyThatRowAndGapsAreReported) {
    const int r = rowOf("ORF2");
    ASSERT_GT(r, 0);
    ASSERT_TRUE(s.app().grid().setTextMatrix(r, col::kSid, "101 OR 1=1").isOk());
    const int q = rowOf("Radio X");
    ASSERT_GT(q, 0);
    ASSERT_TRUE(s.app().grid().setTextMatrix(q, col::kNum, "9").isOk());
    s.ports().expectMessage("ERROR writing to database", core::ports::MessageButtons::Ok,
                            core::ports::MessageIcon::None, core::ports::MessageAnswer::Ok);
    s.ports().expectMessage(
        "Channel numbers are not subsequent - may be due to duplicates or missing numbers",
        core::ports::MessageButtons::Ok, core::ports::MessageIcon::Information,
        core::ports::MessageAnswer::Ok);
    s.click("Command7");
    EXPECT_EQ(channelName("101", "11953"), "ORF2");
}

TEST(SaveNumbering, GapsDuplicatesAndAStartAtZeroAreReported) {
    const std::vector<std::pair<std::vector<int>, bool>> cases = {
        {{1, 2, 4}, true}, {{1, 2, 2, 3}, true}, {{0, 1, 2}, true}, {{3, 1, 2}, false}};
    for (const auto& [numbers, reported] : cases) {
        SCOPED_TRACE(::testing::PrintToString(numbers));
        AppSession s;
        const std::string path = s.addDatabaseBuiltBy("WinSTB.mdb", [&](auto& db) {
            testing::addWinStbTables(db, {.standardRows = false});
            auto channels = db.table("CHANNELS");
            ASSERT_TRUE(channels.isOk());
            int sid = 1;
            for (int n : numbers) {
                (*channels)->append({testing::winstb::num(n), testing::winstb::text("C"),
                                     testing::winstb::text("S19E"), testing::winstb::text("P"),
                                     testing::winstb::num(sid++), testing::winstb::num(1),
                                     testing::winstb::num(11000), testing::winstb::num(1),
                                     testing::winstb::num(0), testing::winstb::num(0)});
            }
            ASSERT_TRUE(db.commit().isOk());
        });
        s.storeSetting(SettingKey::Language, "eng");
        s.storeSetting(SettingKey::WinSTBPath, path);
        ASSERT_TRUE(s.start());
        core::favourites::installSaveFavChannels(s.app());
        if (reported) {
            s.ports().expectMessage(
                "Channel numbers are not subsequent - may be due to duplicates or missing numbers",
                core::ports::MessageButtons::Ok, core::ports::MessageIcon::Information,
                core::ports::MessageAnswer::Ok);
        }
        s.click("Command7");
        s.ports().verify();
        EXPECT_EQ(s.ports().messages().size(), reported ? 1u : 0u);
    }
}

// Radio X's group is stored as "Late Show " and shown trimmed; its assignment must be found
// again rather than added a second time under the shown name.
TEST(SaveRealFile, AnUnchangedListLeavesTheTablesAsTheyWere) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    const auto favourite = exportedRows(file, "FAVOURITE");
    const auto channels = exportedRows(file, "CHANNELS");
    startOn(s, file);
    core::favourites::installSaveFavChannels(s.app());
    s.click("Command7");
    EXPECT_TRUE(s.ports().messages().empty());
    EXPECT_EQ(exportedRows(file, "FAVOURITE"), favourite);
    EXPECT_EQ(exportedRows(file, "CHANNELS"), channels);
    expectFileChecks(file);
}

TEST(SaveRealFile, ALockedFileIsRefusedOnceBeforeAnyRow) {
    AppSession s;
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    // Another program holds the file for writing while the editor runs.
    auto holder = engine::jet::openStoreDatabase(file, engine::io::Env::real());
    ASSERT_TRUE(holder.isOk());
    ASSERT_FALSE((*holder)->isReadOnly());
    const auto before = jet_testing::readFileBytes(file);
    startOn(s, file);
    core::favourites::installSaveFavChannels(s.app());
    ASSERT_TRUE(s.app().db().isReadOnly());
    ASSERT_TRUE(s.app().grid().setTextMatrix(1, col::kName, "Renamed").isOk());
    s.app().state().FavDirty = true;
    s.ports().expectMessage(core::ports::MessageAnswer::Ok);
    s.click("Command7");
    ASSERT_EQ(s.ports().messages().size(), 1u);
    const std::string& shown = s.ports().messages()[0].text;
    EXPECT_EQ(shown.rfind("ERROR writing to database\r\n" + file, 0), 0u) << printable(shown);
    EXPECT_NE(shown.find(s.app().db().readOnlyReason()), std::string::npos) << printable(shown);
    EXPECT_FALSE(s.app().db().readOnlyReason().empty());
    EXPECT_TRUE(s.app().state().FavDirty) << "nothing was stored";
    EXPECT_EQ(jet_testing::readFileBytes(file), before);
}

}  // namespace
}  // namespace velmora::test
