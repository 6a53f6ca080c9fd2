// Compacting: the derived path, the message when the copy exists, and Cancel leaving the
// program running on the open database.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/maintenance/compact_database.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
using core::maintenance::compactedPath;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

TEST(CompactedPath, DropsExactlyFourCharactersWhateverTheyAre) {
    EXPECT_EQ(compactedPath("/data/WinSTB.mdb"), "/data/WinSTB1.mdb");
    EXPECT_EQ(compactedPath("/data/WinSTB.db"), "/data/WinST1.mdb");
    EXPECT_EQ(compactedPath("/data/WinSTB.accdb"), "/data/WinSTB.a1.mdb");
    EXPECT_EQ(compactedPath("ab"), "1.mdb");
}

class CompactDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        s.storeSetting(SettingKey::Language, "eng");
        path = s.addDatabase("WinSTB.mdb");
        s.storeSetting(SettingKey::WinSTBPath, path);
        ASSERT_TRUE(s.start());
        core::maintenance::installCompactDatabase(s.app());
    }
    void compact() { s.click("Command13"); }

    AppSession s;
    std::string path;
};

TEST_F(CompactDatabase, ExistingCopyIsReportedAndNothingElseHappens) {
    const auto target = s.folder() / "WinSTB1.mdb";
    std::ofstream(target) << "keep";
    s.ports().expectMessage("New Database " + target.string() +
                                " already exists. Please rename or delete it and try again...",
                            MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    compact();
    EXPECT_FALSE(s.ports().endedWithCode().has_value());
    EXPECT_TRUE(s.app().state().hasDatabase());
    EXPECT_EQ(std::filesystem::file_size(target), 4u);
}

TEST_F(CompactDatabase, CancelKeepsTheDatabaseOpenAndWritesNothing) {
    const auto target = s.folder() / "WinSTB1.mdb";
    s.ports().expectMessage(
        "New Database " + target.string() +
            " has been created. The program will exit now.\r\nYou may delete (or rename) your "
            "old database, rename the new one to the old name and test it!",
        MessageButtons::OkCancel, MessageIcon::None, MessageAnswer::Cancel);
    compact();
    EXPECT_FALSE(s.ports().endedWithCode().has_value());
    EXPECT_TRUE(s.app().state().hasDatabase());
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(CompactDatabase, FailedCompactionIsReportedLeavesNoCopyAndEnds) {
    // The session's database file on disk is empty, so the engine refuses to compact it.
    const auto target = s.folder() / "WinSTB1.mdb";
    s.ports().expectMessage(MessageAnswer::Ok);  // the question
    s.ports().expectMessage(MessageAnswer::Ok);  // the failure report
    compact();
    ASSERT_EQ(s.ports().messages().size(), 2u);
    const auto& report = s.ports().messages()[1];
    EXPECT_EQ(report.icon, MessageIcon::Critical);
    EXPECT_NE(report.text.find(path), std::string::npos);
    EXPECT_NE(report.text.find(target.string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(s.ports().endedWithCode(), 0);
}

}  // namespace
}  // namespace velmora::test
