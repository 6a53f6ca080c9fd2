// Saving the channel list in a whole program session over an in-memory channel database.
#include "core/favourites/save_fav_channels.h"

#include <gtest/gtest.h>

#include "core/app/app_session.h"
#include "core/views/channel_list.h"

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

}  // namespace
}  // namespace velmora::test
