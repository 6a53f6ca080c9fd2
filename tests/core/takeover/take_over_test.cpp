// "Take over from..." on real files: demo databases of several seeds, each rescanned by a
// script, then given back their numbers, names and groups by velmora-db takeover from the
// copy made before the scan. Everything is read back with mdbtools.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <random>
#include <sstream>

#include "core/takeover/take_over.h"
#include "rescanned_file.h"
#include "support/file_bytes.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

class TakeOver : public ::testing::TestWithParam<std::tuple<uint64_t, bool>> {
protected:
    void SetUp() override {
        if (!jet_testing::haveMdbTools())
            GTEST_SKIP() << "mdbtools are not installed";
        if (!fs::exists(tool()))
            GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("velmora-takeover-" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    static fs::path tool() { return fs::path(velmora::test::binDir()) / "velmora-db"; }

    fs::path m_dir;
};

TEST_P(TakeOver, AfterAScanEveryMatchedChannelGetsItsNumberNameAndGroupsBack) {
    const auto [seed, names] = GetParam();
    const fs::path old = m_dir / "before-scan.mdb";
    const fs::path file = m_dir / "WinSTB.mdb";
    writeDemo(old, 240, seed);
    ASSERT_FALSE(HasFatalFailure());
    fs::copy_file(old, file);
    const Rescan scan = rescan(file);
    const ChannelRows before = readChannels(old);
    const ChannelRows scanned = readChannels(file);
    const std::vector<char> oldBytes = fileBytes(old);

    const ShellOutcome run = runShell(shellQuoted(tool()) + " takeover " + shellQuoted(file) + " " +
                                      shellQuoted(old) + (names ? " --names" : ""));
    ASSERT_EQ(run.status, 0) << run.out;

    // The counts, by identity: a channel on two frequencies counts once.
    int matched = 0, added = 0, gone = 0;
    for (const auto& [id, c] : scanned.byIdentity)
        (before.byIdentity.count(id) ? matched : added)++;
    for (const auto& [id, c] : before.byIdentity)
        gone += scanned.byIdentity.count(id) ? 0 : 1;
    EXPECT_EQ(gone, int(scan.droppedIdentities.size()));
    EXPECT_EQ(added, scan.added);
    std::ostringstream counts;
    counts << "matched " << matched << "\nnew " << added << "\ngone " << gone << "\ngroups created "
           << scan.lostGroups.size() << "\n";
    EXPECT_EQ(run.out, counts.str());

    const ChannelRows after = readChannels(file);
    // Numbers run 1, 2, 3, ... over the rows.
    std::vector<int> numbers = after.allNumbers;
    std::sort(numbers.begin(), numbers.end());
    std::vector<int> expected(numbers.size());
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(numbers, expected);

    // The demo numbers its rows 1..N once each; a row of a matched channel keeps its old
    // number, less the rows numbered before it whose channels the scan dropped.
    std::vector<int> droppedNumbers;
    for (const std::string& id : scan.droppedIdentities) {
        const auto& d = before.byIdentity.at(id).numbers;
        droppedNumbers.insert(droppedNumbers.end(), d.begin(), d.end());
    }
    int highestMatched = 0;
    for (const auto& [row, now] : after.byRow) {
        const auto old = before.byRow.find(row);
        const auto& [scannedNumber, scannedName] = scanned.byRow.at(row);
        if (old == before.byRow.end()) {
            EXPECT_EQ(now.second, scannedName) << "new channel " << row;
            EXPECT_GT(scannedNumber, 0);
            continue;
        }
        const int oldNumber = old->second.first;
        const int droppedBefore = int(std::count_if(droppedNumbers.begin(), droppedNumbers.end(),
                                                    [&](int n) { return n < oldNumber; }));
        EXPECT_EQ(now.first, oldNumber - droppedBefore) << row;
        EXPECT_EQ(now.second, names ? old->second.second : scannedName) << row;
        highestMatched = std::max(highestMatched, now.first);
    }
    EXPECT_EQ(highestMatched, int(after.allNumbers.size()) - scan.added)
        << "the new channels come after every matched one";
    for (const auto& [id, c] : after.byIdentity) {
        if (const auto old = before.byIdentity.find(id); old != before.byIdentity.end()) {
            EXPECT_EQ(c.assignments, old->second.assignments) << id;
        }
    }
    for (const std::string& group : before.groups)
        EXPECT_TRUE(after.groups.count(group)) << group;

    const ShellOutcome check = runShell(shellQuoted(tool()) + " check " + shellQuoted(file));
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(fileBytes(old), oldBytes) << "the other file is only read";
    int backups = 0;
    for (const auto& entry : fs::directory_iterator(m_dir))
        backups += entry.path().filename().string().starts_with("WinSTB.mdb.") &&
                   entry.path().extension() == ".bak";
    EXPECT_EQ(backups, 1) << "the file is backed up before it is changed";
}

INSTANTIATE_TEST_SUITE_P(Seeds, TakeOver,
                         ::testing::Values(std::tuple<uint64_t, bool>{3, false},
                                           std::tuple<uint64_t, bool>{11, true},
                                           std::tuple<uint64_t, bool>{29, true}));

TEST_F(TakeOver, TakingOverFromTheSameListChangesNoRowAndRefusesTheFileItself) {
    const fs::path file = m_dir / "WinSTB.mdb";
    const fs::path copy = m_dir / "copy.mdb";
    writeDemo(file, 120, 5);
    ASSERT_FALSE(HasFatalFailure());
    fs::copy_file(file, copy);
    const ShellOutcome self = runShell(shellQuoted(tool()) + " takeover " + shellQuoted(file) +
                                       " " + shellQuoted(m_dir / "." / "WinSTB.mdb"));
    EXPECT_NE(self.status, 0) << self.out;

    const ShellOutcome run =
        runShell(shellQuoted(tool()) + " takeover " + shellQuoted(file) + " " + shellQuoted(copy));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("new 0\ngone 0\ngroups created 0\n") != std::string::npos, true)
        << run.out;
    for (const char* table : {"CHANNELS", "FAVNAME"}) {
        const Exported a = exportTable(file, table), b = exportTable(copy, table);
        EXPECT_EQ(a.rows, b.rows) << table;
    }
    // The assignments are written again, so only their order in the table may differ.
    Exported a = exportTable(file, "FAVOURITE"), b = exportTable(copy, "FAVOURITE");
    std::sort(a.rows.begin(), a.rows.end());
    std::sort(b.rows.begin(), b.rows.end());
    EXPECT_EQ(a.rows, b.rows);
}

}  // namespace
}  // namespace velmora::test
