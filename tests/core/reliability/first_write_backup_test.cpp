// The backup before the program's first write to a file in a run: made once per run and
// file, named by the wall clock, the newest five kept; when it cannot be made the user
// chooses between going on without one and writing nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/views/channel_list.h"
#include "faulty_channel_file.h"
#include "support/file_bytes.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using core::app::backupPath;
using core::app::LocalTime;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

void touch(const fs::path& path) {
    std::ofstream(path) << "an older backup\n";
}

TEST(FirstWriteBackup, OnePerRunAndFileNamedByTheClockNewestFiveKept) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    const std::string file = writeChannelFile(s.folder() / "WinSTB.mdb");
    const std::vector<char> original = fileBytes(file);
    // Six older backups of this file, and files that only look alike.
    for (const char* stamp : {"20240101-000000", "20250101-000000", "20250601-120000",
                              "20251231-235959", "20260101-080000", "20261208-101459"}) {
        touch(file + "." + stamp + ".bak");
    }
    touch(s.folder() / "Other.mdb.20200101-000000.bak");
    touch(file + ".old.bak");
    touch(file + ".2020101-000000.bak");

    LocalTime now{2026, 12, 8, 10, 15, 0};
    s.setClock([&] { return now; });
    startOn(s, file);

    deleteRow(s, gridRow(s, "ORF1", "Kids"));
    const std::string first = backupPath(file, now);
    EXPECT_EQ(first, file + ".20261208-101500.bak");
    ASSERT_TRUE(fs::exists(first));
    EXPECT_EQ(fileBytes(first), original);
    EXPECT_NE(fileBytes(file), original);
    expectFileChecks(first);
    EXPECT_TRUE(hasRow(exportedRows(first, "FAVOURITE"), "\"Kids\",1,\"S19E\",100,1"));

    // The newest five: this one and the four newest older ones; look-alikes stay.
    for (const char* gone : {"20240101-000000", "20250101-000000"}) {
        EXPECT_FALSE(fs::exists(file + "." + gone + ".bak")) << gone;
    }
    for (const char* kept :
         {"20250601-120000", "20251231-235959", "20260101-080000", "20261208-101459"}) {
        EXPECT_TRUE(fs::exists(file + "." + kept + ".bak")) << kept;
    }
    EXPECT_TRUE(fs::exists(s.folder() / "Other.mdb.20200101-000000.bak"));
    EXPECT_TRUE(fs::exists(file + ".old.bak"));
    EXPECT_TRUE(fs::exists(file + ".2020101-000000.bak"));

    // Later writes of the same run make none (the one message is the delete's question).
    now.second = 30;
    s.ports().expectMessage(MessageAnswer::Ok);
    deleteRow(s, gridRow(s, "Radio X", "Late Show"));
    EXPECT_EQ(gridRow(s, "Radio X", "Late Show"), -1);
    EXPECT_FALSE(fs::exists(backupPath(file, now)));
    ASSERT_EQ(s.ports().messages().size(), 1u);
    EXPECT_EQ(s.ports().messages()[0].text.rfind("Are you sure to delete 1 Channels", 0), 0u);

    // The next run backs up the file as the first run left it.
    s.app().state().ChannelDb->close();
    const std::vector<char> afterFirstRun = fileBytes(file);
    AppSession next;
    next.setClock([] { return LocalTime{2026, 12, 9, 7, 5, 9}; });
    startOn(next, file);
    next.ports().expectMessage(MessageAnswer::Ok);
    deleteRow(next, gridRow(next, "ORF1", "News"));
    EXPECT_EQ(gridRow(next, "ORF1", "News"), -1);
    const std::string second = file + ".20261209-070509.bak";
    ASSERT_TRUE(fs::exists(second));
    EXPECT_EQ(fileBytes(second), afterFirstRun);
    EXPECT_FALSE(fs::exists(file + ".20250601-120000.bak"));  // five kept: one more gone
    expectFileChecks(file);
}

struct BackupFailure {
    const char* what;
    // Makes the coming backup fail; the text the question must contain as the reason.
    std::function<std::string(FaultyChannelFile&)> arm;
};

class WhenNoBackupCanBeMade : public ::testing::TestWithParam<BackupFailure> {};

TEST_P(WhenNoBackupCanBeMade, TheUserChoosesAndCancelWritesNothing) {
    AppSession s;
    FaultyChannelFile file(s);
    const std::vector<uint8_t> before = file.bytes();
    const std::string backup = backupPath(file.path, fixedTime());
    const std::string reason = GetParam().arm(file);

    // Cancel: nothing is written and the grid shows the file again, row and count.
    const int rows = s.dataRows();
    s.ports().expectMessage(
        {std::nullopt, MessageButtons::OkCancel, MessageIcon::None, MessageAnswer::Cancel});
    s.ports().expectMessage(MessageAnswer::Ok);
    deleteRow(s, gridRow(s, "ORF1", "Kids"));
    ASSERT_EQ(s.ports().messages().size(), 2u);
    const std::string question = s.ports().messages()[0].text;
    EXPECT_NE(question.find(backup), std::string::npos) << question;
    EXPECT_NE(question.find(reason), std::string::npos) << question;
    EXPECT_EQ(s.ports().messages()[1].text,
              "Nothing of it was stored; the grid shows again what the file holds.");
    EXPECT_EQ(file.bytes(), before);
    EXPECT_FALSE(file.env.exists(backup));
    EXPECT_EQ(s.dataRows(), rows);
    EXPECT_GT(gridRow(s, "ORF1", "Kids"), 0);

    // The next change tries again and asks again; OK writes it without a backup, and the run
    // asks no more.
    GetParam().arm(file);
    s.ports().expectMessage(
        {std::nullopt, MessageButtons::OkCancel, MessageIcon::None, MessageAnswer::Ok});
    deleteRow(s, gridRow(s, "ORF1", "Kids"));
    EXPECT_EQ(gridRow(s, "ORF1", "Kids"), -1);
    EXPECT_NE(file.bytes(), before);
    EXPECT_FALSE(file.env.exists(backup));
    s.ports().expectMessage(MessageAnswer::Ok);  // the delete's own question
    deleteRow(s, gridRow(s, "Radio X", "Late Show"));
    ASSERT_EQ(s.ports().messages().size(), 4u) << s.ports().messages().back().text;
    EXPECT_EQ(s.ports().messages()[3].text.rfind("Are you sure to delete 1 Channels", 0), 0u);
    s.ports().verify();

    VELMORA_REQUIRE_READERS();
    file.copyOut();
    expectFileChecks(file.path);
    const auto favourite = exportedRows(file.path, "FAVOURITE");
    EXPECT_FALSE(hasRow(favourite, "\"Kids\",1,\"S19E\",100,1"));
    EXPECT_TRUE(hasRow(favourite, "\"News\",1,\"S19E\",100,1"));
    EXPECT_FALSE(hasRow(favourite, "\"Late Show \",1,\"S13E\",301,3"));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, WhenNoBackupCanBeMade,
    ::testing::Values(BackupFailure{"TheCopyCannotBeWritten",
                                    [](FaultyChannelFile& f) {
                                        f.env.failWriteAt(1);  // the copy's first write
                                        return std::string("injected write failure");
                                    }},
                      BackupFailure{"TheCopyCannotBeSynced",
                                    [](FaultyChannelFile& f) {
                                        f.env.failSyncAt(1);  // before the file itself is touched
                                        return std::string("injected sync failure");
                                    }}),
    [](const ::testing::TestParamInfo<BackupFailure>& info) { return info.param.what; });

}  // namespace
}  // namespace velmora::test
