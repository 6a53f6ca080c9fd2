// A commit's page images past their memory budget go to a scratch file and come back from it:
// what is read and visited is always the last image put for each page, in page order and in
// runs of consecutive pages; a read back that fails is an error, never stale bytes; a scratch
// file that cannot be made keeps everything in memory; and none is left in the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/io/fault_env.h"
#include "engine/jet/commit_pages.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

constexpr uint32_t kImageSize = 512;

// An image told apart by page and by version.
std::vector<uint8_t> versionedImage(uint32_t page, int version) {
    std::vector<uint8_t> bytes(kImageSize);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(page * 31 + uint32_t(version) * 7 + i);
    return bytes;
}

struct SpillCase {
    const char* name;
    size_t budgetPages;
    std::vector<std::pair<uint32_t, int>> puts;  // page, version, in the order put
    uint32_t maxRun;
    std::vector<std::vector<uint32_t>> runs;  // the runs visited
    bool spills;
    bool refuseScratch = false;
    bool failReadBack = false;  // the first read from the scratch file fails
};

const std::vector<SpillCase>& spillCases() {
    static const std::vector<SpillCase> all = {
        {"under the budget", 8, {{5, 0}, {3, 0}, {4, 0}, {3, 1}}, 64, {{3, 4, 5}}, false},
        {"over the budget, spilled pages put again",
         2,
         {{10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {12, 1}, {14, 1}, {10, 2}, {15, 0}},
         64,
         {{10, 11, 12, 13, 14, 15}},
         true},
        {"runs break at gaps and at their limit",
         2,
         {{21, 0}, {7, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {9, 0}, {20, 0}},
         3,
         {{1, 2, 3}, {4, 5, 6}, {7}, {9}, {20, 21}},
         true},
        {"no scratch file can be made",
         1,
         {{2, 0}, {1, 0}, {3, 0}, {1, 1}},
         64,
         {{1, 2, 3}},
         false,
         true},
        {"a read back fails", 1, {{1, 0}, {2, 0}, {3, 0}}, 64, {}, true, false, true},
    };
    return all;
}

// Puts the case's images and checks what comes back against the last image put per page.
void checkSpillCase(const SpillCase& c, io::Env& env, const std::string& databasePath,
                    io::FaultEnv* faults) {
    SCOPED_TRACE(c.name);
    CommitPages pages(kImageSize, &env, databasePath, c.budgetPages * kImageSize);
    std::map<uint32_t, std::vector<uint8_t>> expected;
    for (auto [page, version] : c.puts) {
        ASSERT_TRUE(pages.put(page, versionedImage(page, version)).isOk());
        expected[page] = versionedImage(page, version);
        if (c.spills) {
            EXPECT_LE(pages.bytesInMemory(), c.budgetPages * kImageSize);
        }
    }
    EXPECT_EQ(pages.usesScratchFile(), c.spills);
    EXPECT_EQ(pages.size(), expected.size());
    if (c.failReadBack) {
        faults->failReadAt(1);
        std::vector<uint8_t> out;
        EXPECT_FALSE(pages.find(1, out).isOk());
        faults->failReadAt(1);
        EXPECT_FALSE(pages.forEachRun(64, [](uint32_t, Bytes) { return Status::ok(); }).isOk());
        return;
    }
    for (const auto& [page, image] : expected) {
        std::vector<uint8_t> out;
        Result<bool> found = pages.find(page, out);
        ASSERT_TRUE(found.isOk()) << found.status().toString();
        EXPECT_TRUE(*found);
        EXPECT_EQ(out, image) << "page " << page;
    }
    std::vector<uint8_t> untouched{1, 2};
    EXPECT_FALSE(*pages.find(999, untouched));
    EXPECT_EQ(untouched, (std::vector<uint8_t>{1, 2}));

    std::vector<std::vector<uint32_t>> runs;
    Status visited = pages.forEachRun(c.maxRun, [&](uint32_t first, Bytes run) -> Status {
        EXPECT_EQ(run.size() % kImageSize, 0u);
        runs.emplace_back();
        for (uint32_t k = 0; k < run.size() / kImageSize; ++k) {
            runs.back().push_back(first + k);
            EXPECT_TRUE(std::equal(run.begin() + k * kImageSize, run.begin() + (k + 1) * kImageSize,
                                   expected[first + k].begin()))
                << "page " << first + k;
        }
        return Status::ok();
    });
    ASSERT_TRUE(visited.isOk()) << visited.toString();
    EXPECT_EQ(runs, c.runs);
}

TEST(CommitPages, KeepsTheLastImageOfEveryPageInMemoryOrInTheScratchFile) {
    for (const SpillCase& c : spillCases()) {
        io::FaultEnv faults;
        faults.refuseScratch(c.refuseScratch);
        checkSpillCase(c, faults, "/db/channels.mdb", &faults);
        EXPECT_EQ(faults.scratchFilesMade(), c.spills ? 1 : 0) << c.name;
        EXPECT_TRUE(faults.contents("/db/channels.mdb").empty()) << c.name;
    }
}

// The real file system: the scratch file is made in the database's folder and leaves nothing
// there once the images are gone.
TEST(CommitPages, ScratchFileOnDiskLeavesNothingBehind) {
    testing::TempDir dir;
    const std::string databasePath = (dir.path() / "channels.mdb").string();
    for (const SpillCase& c : spillCases()) {
        if (c.refuseScratch || c.failReadBack)
            continue;
        checkSpillCase(c, io::Env::real(), databasePath, nullptr);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.name;
    }
}

}  // namespace
}  // namespace velmora::engine::jet
