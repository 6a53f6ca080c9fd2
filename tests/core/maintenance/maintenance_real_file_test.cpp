// The key check and compacting on real Jet files written by our engine from the demo
// content: the check run from the Settings window's button, the compacted copy read back by
// our own check and by mdbtools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/app/settings_command.h"
#include "core/app/settings_form.h"
#include "core/app/user_input.h"
#include "core/maintenance/compact_database.h"
#include "core/maintenance/primary_key_check.h"
#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "demo/demo_schema.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "support/app_session.h"
#include "support/channel_file.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using core::app::SettingKey;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

std::vector<std::string> sortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class RealFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("velmora-maintenance-" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // A Jet 4 file with the demo content; `shape` may change the tables first.
    fs::path demoFile(const std::string& name,
                      const std::function<void(demo::DemoDatabase&)>& shape = {}) {
        return writeDemoFile(m_dir / name, shape);
    }

    // A session over the file, started and painted, with the commands installed.
    void startOn(AppSession& s, const fs::path& file) {
        s.storeSetting(SettingKey::Language, "eng");
        s.storeSetting(SettingKey::WinSTBPath, file.string());
        ASSERT_TRUE(s.start());
        core::maintenance::installPrimaryKeyCheck(s.app());
        core::maintenance::installCompactDatabase(s.app());
        core::app::installSettingsCommand(s.app());
    }

    fs::path m_dir;
};

TEST_F(RealFile, KeyCheckFromTheSettingsWindowTakesALetterCaseVariantForAnUnknownKey) {
    const fs::path file = demoFile("WinSTB.mdb", [](demo::DemoDatabase& content) {
        auto& channels = content.tables[0];
        ASSERT_EQ(channels.schema.name, demo::kChannelsTable);
        for (auto& column : channels.schema.columns)
            if (column.name == "SOURCEID")
                column.name = "SourceID";
    });
    AppSession s;
    startOn(s, file);
    ASSERT_FALSE(HasFatalFailure());
    s.ports().expectMessage("Unknown key in Table CHANNELS", MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    s.modal().expectModal([&](core::form::Form& f) {
        core::app::userClick(f, s.app().dispatcher(), core::app::settings_control::kCheckPrimKey);
        EXPECT_TRUE(f.isVisible()) << "the window stays open after the check";
        core::app::userClick(f, s.app().dispatcher(), core::app::settings_control::kCancel);
    });
    s.click("Command11");
    EXPECT_EQ(s.ports().messages().size(), 1u);
}

TEST_F(RealFile, CompactedCopyPassesTheChecksAndASecondRunFindsIt) {
    const fs::path tool = fs::path(velmora::test::binDir()) / "velmora-db";
    if (!fs::exists(tool))
        GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
    if (runShell("command -v mdb-export").status != 0)
        GTEST_SKIP() << "mdbtools are not installed";
    const fs::path file = demoFile("WinSTB.mdb");
    const fs::path copy = m_dir / "WinSTB1.mdb";
    {
        AppSession s;
        startOn(s, file);
        ASSERT_FALSE(HasFatalFailure());
        ExpectedMessage question;
        question.buttons = MessageButtons::OkCancel;
        s.ports().expectMessage(question);
        s.click("Command13");
        EXPECT_EQ(s.ports().endedWithCode(), 0);
        EXPECT_FALSE(s.app().state().hasDatabase());
    }
    ASSERT_TRUE(fs::exists(copy));

    const ShellOutcome check = runShell(shellQuoted(tool) + " check " + shellQuoted(copy));
    EXPECT_EQ(check.status, 0) << check.out;
    for (const char* table : {"CHANNELS", "FAVOURITE", "FAVNAME"}) {
        const ShellOutcome original = runShell("mdb-export " + shellQuoted(file) + " " + table);
        const ShellOutcome compacted = runShell("mdb-export " + shellQuoted(copy) + " " + table);
        ASSERT_EQ(compacted.status, 0) << compacted.out;
        EXPECT_EQ(sortedLines(compacted.out), sortedLines(original.out)) << table;
    }

    const auto size = fs::file_size(copy);
    AppSession again;
    startOn(again, file);
    ASSERT_FALSE(HasFatalFailure());
    again.ports().expectMessage("New Database " + copy.string() +
                                    " already exists. Please rename or delete it and try again...",
                                MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    again.click("Command13");
    EXPECT_FALSE(again.ports().endedWithCode().has_value());
    EXPECT_TRUE(again.app().state().hasDatabase());
    EXPECT_EQ(fs::file_size(copy), size);
}

}  // namespace
}  // namespace velmora::test
