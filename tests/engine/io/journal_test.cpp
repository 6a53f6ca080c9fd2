// The rollback journal and the fault-injecting Env it is tested with.
#include "engine/io/journal.h"

#include <gtest/gtest.h>

#include "engine/io/fault_env.h"

namespace velmora::engine::io {
namespace {

std::vector<uint8_t> pages(std::initializer_list<uint8_t> fills, size_t pageSize = 16) {
    std::vector<uint8_t> out;
    for (uint8_t f : fills)
        out.insert(out.end(), pageSize, f);
    return out;
}

TEST(FaultEnv, UnsyncedWritesAndFolderEntriesDieInACrash) {
    FaultEnv env;
    env.install("db", pages({1, 2}));
    {
        auto f = env.open("db", OpenMode::ReadWrite);
        ASSERT_TRUE(f.isOk());
        ASSERT_TRUE((*f)->write(0, pages({9})).isOk());
        ASSERT_TRUE((*f)->sync().isOk());
        ASSERT_TRUE((*f)->write(16, pages({8, 7})).isOk());
        auto g = env.open("new", OpenMode::CreateNew);
        ASSERT_TRUE(g.isOk());
        ASSERT_TRUE((*g)->write(0, pages({5})).isOk());
        ASSERT_TRUE((*g)->sync().isOk());
    }
    EXPECT_EQ(env.contents("db"), pages({9, 8, 7}));
    env.crash();
    EXPECT_TRUE(env.crashed());
    EXPECT_FALSE(env.open("db", OpenMode::ReadOnly).isOk());
    env.revive();
    EXPECT_EQ(env.contents("db"), pages({9, 2}));
    EXPECT_FALSE(env.exists("new"));  // its folder entry was never synced
}

TEST(FaultEnv, FailsTheNthWriteAndSync) {
    FaultEnv env;
    env.install("db", pages({1}));
    auto f = env.open("db", OpenMode::ReadWrite);
    ASSERT_TRUE(f.isOk());
    env.failWriteAt(2);
    EXPECT_TRUE((*f)->write(0, pages({2})).isOk());
    EXPECT_FALSE((*f)->write(0, pages({3})).isOk());
    EXPECT_TRUE((*f)->write(0, pages({4})).isOk());
    env.failSyncAt(1);
    EXPECT_FALSE((*f)->sync().isOk());
    EXPECT_TRUE((*f)->sync().isOk());
    EXPECT_EQ(env.writeCount(), 3);
    EXPECT_EQ(env.syncCount(), 2);
}

TEST(RollbackJournal, RestoresPagesAndSizeThenDisappears) {
    FaultEnv env;
    env.install("db", pages({1, 2, 3}));
    std::string jp = RollbackJournal::pathFor("db");
    std::vector<JournalPage> old = {{1, pages({2})}, {2, pages({3})}};
    ASSERT_TRUE(RollbackJournal::write(env, jp, 16, 48, old).isOk());
    auto f = env.open("db", OpenMode::ReadWrite);
    ASSERT_TRUE(f.isOk());
    ASSERT_TRUE((*f)->write(16, pages({7, 7, 7, 7})).isOk());  // overwrite and grow
    Result<bool> r = RollbackJournal::recover(env, jp, **f);
    ASSERT_TRUE(r.isOk());
    EXPECT_TRUE(*r);
    EXPECT_EQ(env.contents("db"), pages({1, 2, 3}));
    EXPECT_FALSE(env.exists(jp));
    // Nothing to do without a journal.
    r = RollbackJournal::recover(env, jp, **f);
    ASSERT_TRUE(r.isOk());
    EXPECT_FALSE(*r);
}

TEST(RollbackJournal, AnIncompleteJournalIsDiscardedWithoutTouchingTheFile) {
    FaultEnv env;
    env.install("db", pages({1, 2}));
    std::string jp = RollbackJournal::pathFor("db");
    ASSERT_TRUE(RollbackJournal::write(env, jp, 16, 32, {{0, pages({9})}}).isOk());
    std::vector<uint8_t> torn = env.contents(jp);
    torn.resize(torn.size() - 5);
    env.install(jp, torn);
    auto f = env.open("db", OpenMode::ReadWrite);
    ASSERT_TRUE(f.isOk());
    Result<bool> r = RollbackJournal::recover(env, jp, **f);
    ASSERT_TRUE(r.isOk());
    EXPECT_FALSE(*r);
    EXPECT_EQ(env.contents("db"), pages({1, 2}));
    EXPECT_FALSE(env.exists(jp));
    // A flipped byte is caught by the checksum as well.
    ASSERT_TRUE(RollbackJournal::write(env, jp, 16, 32, {{0, pages({9})}}).isOk());
    std::vector<uint8_t> flipped = env.contents(jp);
    flipped[30] ^= 0x40;
    env.install(jp, flipped);
    r = RollbackJournal::recover(env, jp, **f);
    ASSERT_TRUE(r.isOk());
    EXPECT_FALSE(*r);
    EXPECT_EQ(env.contents("db"), pages({1, 2}));
}

}  // namespace
}  // namespace velmora::engine::io
