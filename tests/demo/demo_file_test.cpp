// The demo database as a file, made by `velmora-db demo` and read back by our check and by
// mdbtools: every table and value arrives, the same seed gives the same file, and the
// largest list works.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/demo_generator.h"
#include "demo/demo_schema.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::demo {
namespace {

namespace fs = std::filesystem;
using engine::store::Row;
using test::runShell;
using test::ShellOutcome;
using test::shellQuoted;

class DemoFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_tool = fs::path(velmora::test::binDir()) / "velmora-db";
        if (!fs::exists(m_tool))
            GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
        if (runShell("command -v mdb-export").status != 0)
            GTEST_SKIP() << "mdbtools are not installed";
        std::string templ = (fs::temp_directory_path() / "velmora-demo-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        m_dir = templ;
    }
    void TearDown() override {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    ShellOutcome demo(const fs::path& file, const std::string& options) {
        return runShell(shellQuoted(m_tool) + " demo " + shellQuoted(file) + " " + options);
    }
    ShellOutcome tool(const std::string& args) {
        return runShell(shellQuoted(m_tool) + " " + args);
    }
    // A table as mdbtools exports it: tab between fields, no quotes, control characters
    // escaped, no header.
    ShellOutcome exported(const fs::path& file, const std::string& table) {
        return runShell("mdb-export -H -Q -e -d '\t' " + shellQuoted(file) + " " + table);
    }

    fs::path m_tool;
    fs::path m_dir;
};

// What mdb-export prints for rows of whole numbers, texts and Nulls.
std::string expectedExport(const std::vector<Row>& rows) {
    std::string out;
    for (const Row& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                out += '\t';
            if (const auto* n = std::get_if<int64_t>(&row[i]))
                out += std::to_string(*n);
            else if (const auto* s = std::get_if<std::string>(&row[i]))
                out += *s;
        }
        out += '\n';
    }
    return out;
}

TEST_F(DemoFile, MdbtoolsReadsEveryTableAndValue) {
    const fs::path file = m_dir / "WinSTB.mdb";
    const ShellOutcome made = demo(file, "--channels 400 --seed 9");
    ASSERT_EQ(made.status, 0) << made.out;

    const ShellOutcome check = tool("check " + shellQuoted(file));
    EXPECT_EQ(check.status, 0) << check.out;

    const ShellOutcome tables = runShell("mdb-tables -1 " + shellQuoted(file));
    ASSERT_EQ(tables.status, 0) << tables.out;
    EXPECT_EQ(tables.out, "CHANNELS\nFAVOURITE\nFAVNAME\nSETTINGS\n");

    auto content = generateDemoDatabase({400, 9, true});
    ASSERT_TRUE(content.isOk());
    for (const char* name : {kChannelsTable, kFavouriteTable, kFavnameTable}) {
        const ShellOutcome rows = exported(file, name);
        ASSERT_EQ(rows.status, 0) << rows.out;
        EXPECT_EQ(rows.out, expectedExport(content->find(name)->rows)) << name;
    }
    // The settings hold dates, flags, doubles and a memo long enough for its own pages.
    const ShellOutcome settings = exported(file, kSettingsTable);
    ASSERT_EQ(settings.status, 0) << settings.out;
    const auto& settingRows = content->find(kSettingsTable)->rows;
    EXPECT_EQ(size_t(std::count(settings.out.begin(), settings.out.end(), '\n')),
              settingRows.size());
    for (const Row& r : settingRows) {
        if (const auto* note = std::get_if<std::string>(&r[settings_col::kNote])) {
            if (note->size() > 2000) {
                EXPECT_NE(settings.out.find(note->substr(0, 120)), std::string::npos)
                    << "the long memo did not come back";
            }
        }
    }

    const ShellOutcome schema = tool("schema " + shellQuoted(file) + " CHANNELS");
    ASSERT_EQ(schema.status, 0) << schema.out;
    EXPECT_NE(schema.out.find("PrimaryKey"), std::string::npos) << schema.out;
}

TEST_F(DemoFile, SameSeedSameContentAndNoOverwrite) {
    const fs::path a = m_dir / "a.mdb", b = m_dir / "b.mdb", c = m_dir / "c.mdb";
    ASSERT_EQ(demo(a, "--seed 3").status, 0);
    ASSERT_EQ(demo(b, "--seed 3").status, 0);
    ASSERT_EQ(demo(c, "--seed 4").status, 0);
    for (const char* name : {kChannelsTable, kFavouriteTable, kFavnameTable, kSettingsTable})
        EXPECT_EQ(exported(a, name).out, exported(b, name).out) << name;
    EXPECT_NE(exported(a, kChannelsTable).out, exported(c, kChannelsTable).out);
    EXPECT_EQ(fs::file_size(a), fs::file_size(b));

    // An existing file is refused and stays as it was.
    const auto before = fs::file_size(a);
    const ShellOutcome again = demo(a, "--seed 5");
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.out.find("exists"), std::string::npos) << again.out;
    EXPECT_EQ(fs::file_size(a), before);
    EXPECT_EQ(exported(a, kChannelsTable).out, exported(b, kChannelsTable).out);

    // Bad options write nothing.
    for (const char* bad :
         {"--channels 0", "--channels 32768", "--channels x", "--seed", "--colour 3"}) {
        const fs::path d = m_dir / "bad.mdb";
        EXPECT_NE(demo(d, bad).status, 0) << bad;
        EXPECT_FALSE(fs::exists(d)) << bad;
    }
}

TEST_F(DemoFile, LargestListPassesTheCheck) {
    const fs::path file = m_dir / "big.mdb";
    const ShellOutcome made = demo(file, "--channels 32767");
    ASSERT_EQ(made.status, 0) << made.out;
    const ShellOutcome check = tool("check " + shellQuoted(file));
    EXPECT_EQ(check.status, 0) << check.out;
    const ShellOutcome rows = runShell("mdb-export -H " + shellQuoted(file) + " CHANNELS | wc -l");
    EXPECT_EQ(std::stoi(rows.out), 32767);
}

// The run script's first step: a demo database in the data folder, its path in the settings.
class DemoStartup : public DemoFile {
protected:
    fs::path ini() const { return m_dir / "config" / "Velmora" / "Velmora.ini"; }
    fs::path demoFile() const { return m_dir / "data" / "Velmora" / "WinSTB.mdb"; }
    ShellOutcome prepare() {
        const fs::path script = fs::path(velmora::test::sourceDir()) / "scripts" / "demo-database";
        // The tool's summary goes to standard error; only the printed path is compared.
        return runShell("{ XDG_CONFIG_HOME=" + shellQuoted(m_dir / "config") +
                        " XDG_DATA_HOME=" + shellQuoted(m_dir / "data") + " " +
                        shellQuoted(script) + " " + shellQuoted(m_tool) + " 2>/dev/null; }");
    }
    std::string iniText() const {
        std::ifstream in(ini());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void writeIni(const std::string& text) const {
        fs::create_directories(ini().parent_path());
        std::ofstream(ini()) << text;
    }
};

TEST_F(DemoStartup, CreatesTheDemoOnceAndStoresItsPath) {
    const ShellOutcome first = prepare();
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_EQ(first.out, demoFile().string() + "\n");
    EXPECT_EQ(iniText(), "[Startup]\nWinSTBPath=" + demoFile().string() + "\n");
    EXPECT_EQ(tool("check " + shellQuoted(demoFile())).status, 0);

    // A stored path that is gone is replaced; the demo file is reused, the other keys and
    // groups stay, and a WinSTBPath of another group is not touched.
    const auto written = fs::last_write_time(demoFile());
    writeIni(
        "[General]\nfoo=1\n\n[Startup]\nLanguage=deu\nWinSTBPath=/gone/WinSTB.mdb\n"
        "HSize=6000\n\n[Other]\nWinSTBPath=keep\n");
    ASSERT_EQ(prepare().status, 0);
    EXPECT_EQ(iniText(), "[General]\nfoo=1\n\n[Startup]\nLanguage=deu\nWinSTBPath=" +
                             demoFile().string() + "\nHSize=6000\n\n[Other]\nWinSTBPath=keep\n");
    EXPECT_EQ(fs::last_write_time(demoFile()), written);

    // Settings without a Startup group get one.
    writeIni("[General]\nfoo=1\n");
    ASSERT_EQ(prepare().status, 0);
    EXPECT_EQ(iniText(), "[General]\nfoo=1\n\n[Startup]\nWinSTBPath=" + demoFile().string() + "\n");
}

TEST_F(DemoStartup, StoredDatabaseThatExistsIsKept) {
    // Quoted as the settings store writes a path with blanks, commas and quotes.
    const fs::path own = m_dir / "mein \"Kanal\", Liste.mdb";
    ASSERT_EQ(demo(own, "--channels 30").status, 0);
    const std::string stored = "[Startup]\nWinSTBPath=\"" +
                               (m_dir / "mein \\\"Kanal\\\", Liste.mdb").string() +
                               "\"\nLanguage=eng\n";
    writeIni(stored);
    const ShellOutcome r = prepare();
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, own.string() + "\n");
    EXPECT_EQ(iniText(), stored);
    EXPECT_FALSE(fs::exists(demoFile()));
}

}  // namespace
}  // namespace velmora::demo
