// The page cache over an in-memory file: pages read whole, bounds checked, least recently
// used pages dropped first, transforms applied once per read from the file.
#include <gtest/gtest.h>

#include "engine/io/fault_env.h"
#include "engine/io/memory_env.h"
#include "engine/io/pager.h"

namespace velmora::engine::io {
namespace {

std::unique_ptr<Pager> makePager(MemoryEnv& env, size_t pages, size_t cache, size_t extra = 0) {
    auto& bytes = env.contents("/f");
    bytes.resize(pages * 512 + extra);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i / 512);
    auto file = env.open("/f", OpenMode::ReadOnly);
    EXPECT_TRUE(file.isOk());
    auto pager = Pager::open(std::move(file).value(), 512, cache);
    EXPECT_TRUE(pager.isOk());
    return std::move(pager).value();
}

TEST(Pager, ReadsWholePagesAndChecksBounds) {
    MemoryEnv env;
    auto pager = makePager(env, 4, 8, 100);
    EXPECT_EQ(pager->pageCount(), 4u);
    EXPECT_EQ(pager->trailingBytes(), 100u);
    auto p = pager->read(3);
    ASSERT_TRUE(p.isOk());
    EXPECT_EQ((**p).size(), 512u);
    EXPECT_EQ((**p)[0], 3);
    EXPECT_EQ((**p)[511], 3);
    auto beyond = pager->read(4);
    ASSERT_FALSE(beyond.isOk());
    EXPECT_EQ(beyond.status().code(), 3049);
    EXPECT_NE(beyond.status().message().find("page 4"), std::string::npos);
}

TEST(Pager, DropsTheLeastRecentlyUsedPage) {
    MemoryEnv env;
    auto pager = makePager(env, 4, 2);
    ASSERT_TRUE(pager->read(0).isOk());
    ASSERT_TRUE(pager->read(1).isOk());
    ASSERT_TRUE(pager->read(0).isOk());  // hit; 1 is now the oldest
    ASSERT_TRUE(pager->read(2).isOk());  // evicts 1
    EXPECT_EQ(pager->stats().hits, 1u);
    ASSERT_TRUE(pager->read(0).isOk());  // still cached
    EXPECT_EQ(pager->stats().hits, 2u);
    ASSERT_TRUE(pager->read(1).isOk());  // read again from the file
    EXPECT_EQ(pager->stats().misses, 4u);
}

TEST(Pager, HandedOutPagesOutliveEviction) {
    MemoryEnv env;
    auto pager = makePager(env, 3, 1);
    auto kept = pager->read(1);
    ASSERT_TRUE(kept.isOk());
    ASSERT_TRUE(pager->read(2).isOk());
    EXPECT_EQ((**kept)[0], 1);
}

TEST(Pager, TransformRunsOncePerFileRead) {
    MemoryEnv env;
    auto pager = makePager(env, 2, 4);
    int calls = 0;
    pager->setTransform([&](uint32_t number, MutableBytes page) {
        ++calls;
        page[0] = uint8_t(0xA0 + number);
    });
    auto a = pager->read(1);
    auto b = pager->read(1);
    ASSERT_TRUE(a.isOk() && b.isOk());
    EXPECT_EQ((**b)[0], 0xA1);
    EXPECT_EQ(calls, 1);
}

// Misses in page order read the pages after them in the same read (a scan), up to a quarter of
// the cache, stopping at a cached page and at the end of the file; other misses read one page.
// Every page of a run comes out whole and transformed.
TEST(Pager, ReadsAScanInRuns) {
    struct Case {
        const char* name;
        std::vector<uint32_t> order;  // the pages asked for
        size_t cache;
        int fileReads;
    };
    const std::vector<Case> cases = {
        {"a scan", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 16, 6},
        {"a scan past a cached page", {5, 1, 2, 3, 4, 6, 7}, 64, 5},
        {"out of order", {9, 3, 14, 0, 7}, 64, 5},
        {"a cache too small to read ahead", {1, 2, 3}, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultEnv env;
        std::vector<uint8_t> bytes(20 * 512);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = uint8_t(i / 512);
        env.install("/f", bytes);
        auto file = env.open("/f", OpenMode::ReadOnly);
        ASSERT_TRUE(file.isOk());
        auto pager = Pager::open(std::move(file).value(), 512, c.cache);
        ASSERT_TRUE(pager.isOk());
        (*pager)->setTransform([](uint32_t, MutableBytes page) { page[0] ^= 0x80; });
        const int before = env.readCount();
        for (const uint32_t n : c.order) {
            auto p = (*pager)->read(n);
            ASSERT_TRUE(p.isOk());
            EXPECT_EQ((**p)[0], uint8_t(n ^ 0x80)) << n;
            EXPECT_EQ((**p)[511], uint8_t(n)) << n;
        }
        EXPECT_EQ(env.readCount() - before, c.fileReads);
    }
}

TEST(Pager, RejectsImpossiblePageSizes) {
    MemoryEnv env;
    env.contents("/f").resize(1000);
    auto file = env.open("/f", OpenMode::ReadOnly);
    ASSERT_TRUE(file.isOk());
    EXPECT_FALSE(Pager::open(std::move(file).value(), 1000).isOk());
}

}  // namespace
}  // namespace velmora::engine::io
