// "Take over from..." in a whole program session on real files: the save question first, the
// file dialog in the database's folder with the newest backup preset, the window with the
// counts, and a file afterwards that holds exactly what velmora-db takeover writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/app/user_input.h"
#include "core/maintenance/take_over_form.h"
#include "rescanned_file.h"
#include "support/app_session.h"
#include "support/file_bytes.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
namespace tc = core::maintenance::take_over_control;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

std::vector<std::vector<std::string>> sortedRows(const fs::path& file, const std::string& table) {
    Exported e = exportTable(file, table);
    std::sort(e.rows.begin(), e.rows.end());
    return e.rows;
}

class TakeOverWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!jet_testing::haveMdbTools())
            GTEST_SKIP() << "mdbtools are not installed";
        if (!fs::exists(fs::path(velmora::test::binDir()) / "velmora-db"))
            GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("velmora-takeover-window-" + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_file = m_dir / "WinSTB.mdb";
        m_newest = m_dir / "WinSTB.mdb.20261201-120000.bak";
        // The file before the scan, kept as its backups are; the database rescanned.
        writeDemo(m_dir / "before.mdb", 150, 17);
        fs::copy_file(m_dir / "before.mdb", m_newest);
        fs::copy_file(m_dir / "before.mdb", m_dir / "WinSTB.mdb.20261101-080000.bak");
        fs::copy_file(m_dir / "before.mdb", m_file);
        rescan(m_file);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    void startOn(AppSession& s) {
        s.storeSetting(core::app::SettingKey::Language, "eng");
        s.storeSetting(core::app::SettingKey::WinSTBPath, m_file.string());
        ASSERT_TRUE(s.start());
        s.paint();
    }

    fs::path m_dir;
    fs::path m_file;
    fs::path m_newest;
};

TEST_F(TakeOverWindow, AsksTheSaveQuestionThenWritesWhatTheCommandLineWrites) {
    // What the command line makes of the same files.
    const fs::path expected = m_dir / "expected.mdb";
    fs::copy_file(m_file, expected);
    const ShellOutcome cli =
        runShell(shellQuoted(fs::path(velmora::test::binDir()) / "velmora-db") + " takeover " +
                 shellQuoted(expected) + " " + shellQuoted(m_newest) + " --names");
    ASSERT_EQ(cli.status, 0) << cli.out;

    AppSession s;
    startOn(s);
    ASSERT_FALSE(HasFatalFailure());
    s.app().state().FavDirty = true;  // an edit in the channel list, not saved
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::No);
    s.ports().expectFileDialog(m_newest.string());
    std::vector<std::string> shown;
    s.modal().expectModal([&](core::form::Form& f) {
        for (const char* label : {tc::kMatched, tc::kNew, tc::kGone, tc::kGroups})
            shown.push_back(f.control(label).caption);
        core::app::userClick(f, s.app().dispatcher(), tc::kNames);
        core::app::userClick(f, s.app().dispatcher(), tc::kOk);
    });
    s.click("Command16");
    s.ports().verify();

    ASSERT_EQ(s.ports().fileDialogs().size(), 1u);
    const ports::FileOpenRequest& request = s.ports().fileDialogs()[0];
    EXPECT_EQ(fs::path(request.initialFolder), m_dir);
    EXPECT_EQ(request.initialFileName, m_newest.string());
    EXPECT_TRUE(request.newestFirst);
    // The counts the command line printed, each after its text.
    std::istringstream printed(cli.out);
    for (const std::string& caption : shown) {
        std::string line;
        std::getline(printed, line);
        EXPECT_EQ(caption.substr(caption.rfind(' ') + 1), line.substr(line.rfind(' ') + 1))
            << caption << " / " << line;
    }
    EXPECT_EQ(s.app().state().CurrentView, "Favkanal");
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_EQ(s.cell(1, 1), "1") << "the list is built again, by the new numbers";
    for (const char* table : {"CHANNELS", "FAVOURITE", "FAVNAME"})
        EXPECT_EQ(sortedRows(m_file, table), sortedRows(expected, table)) << table;
    int backups = 0;
    for (const auto& entry : fs::directory_iterator(m_dir))
        backups += entry.path().extension() == ".bak" &&
                   entry.path().filename().string().starts_with("WinSTB.mdb.");
    EXPECT_EQ(backups, 3) << "one backup made before the change";
}

TEST_F(TakeOverWindow, CancelTheOpenFileItselfAndAFileWithoutMatchesWriteNothing) {
    const fs::path stranger = m_dir / "stranger.mdb";
    writeDemo(stranger, 40, 99);
    {
        // Another file of the same seed shares no identity after every SID is moved.
        auto ws = engine::dao::Workspace::createWorkspace();
        auto db = ws.openDatabase(stranger.string());
        db->execute("UPDATE CHANNELS SET SID = SID + 5000000");
        db->close();
    }
    const std::vector<char> before = fileBytes(m_file);
    AppSession s;
    startOn(s);
    ASSERT_FALSE(HasFatalFailure());
    s.ports().expectFileDialog(m_newest.string());
    s.modal().expectModal(
        [&](core::form::Form& f) { core::app::userClick(f, s.app().dispatcher(), tc::kCancel); });
    s.click("Command16");
    s.ports().expectFileDialog(m_file.string());
    s.ports().expectMessage("That is the open database itself: choose an older copy or a backup.",
                            MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.click("Command16");
    s.ports().expectFileDialog(stranger.string());
    s.ports().expectMessage(
        "No channel of that file is in the open database (same Source, SID "
        "and NID): nothing to take over.",
        MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.click("Command16");
    s.ports().expectFileDialog(std::nullopt);
    s.click("Command16");
    s.ports().verify();
    EXPECT_EQ(fileBytes(m_file), before);
}

}  // namespace
}  // namespace velmora::test
