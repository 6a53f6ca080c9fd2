// The rollback journal and the fault-injecting Env it is tested with.
#include "engine/io/journal.h"
#include "engine/io/page_digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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

// What one sector of a file holds after a random power cut.
enum class Sector { Old, New, Zero, Garbage };
Sector sectorOf(const std::vector<uint8_t>& bytes, size_t sector, uint8_t old, uint8_t fresh) {
    auto begin = bytes.begin() + std::ptrdiff_t(sector * 512);
    auto all = [&](uint8_t v) {
        return std::all_of(begin, begin + 512, [v](uint8_t b) { return b == v; });
    };
    return all(old)     ? Sector::Old
           : all(fresh) ? Sector::New
           : all(0)     ? Sector::Zero
                        : Sector::Garbage;
}

TEST(FaultEnv, ARandomPowerCutLeavesEachUnsyncedSectorOldNewOrGarbage) {
    std::set<std::vector<Sector>> outcomes;
    std::set<size_t> sizes;
    for (uint64_t seed = 1; seed <= 300; ++seed) {
        FaultEnv env;
        env.install("db", std::vector<uint8_t>(2048, 0x11));
        env.losePowerAtRandom(seed);
        auto f = env.open("db", OpenMode::ReadWrite);
        ASSERT_TRUE(f.isOk());
        ASSERT_TRUE((*f)->write(0, std::vector<uint8_t>(512, 0x44)).isOk());
        ASSERT_TRUE((*f)->sync().isOk());
        ASSERT_TRUE((*f)->write(512, std::vector<uint8_t>(1024, 0x22)).isOk());
        ASSERT_TRUE((*f)->write(2048, std::vector<uint8_t>(1024, 0x11)).isOk());  // grows
        env.crash();
        env.revive();
        const std::vector<uint8_t> now = env.contents("db");
        ASSERT_TRUE(now.size() == 2048 || now.size() == 3072) << now.size();
        sizes.insert(now.size());
        EXPECT_EQ(sectorOf(now, 0, 0x11, 0x44), Sector::New) << "the synced sector, seed " << seed;
        EXPECT_EQ(sectorOf(now, 3, 0x11, 0x22), Sector::Old) << "a sector never written";
        std::vector<Sector> outcome;
        for (size_t sector = 1; sector < now.size() / 512; ++sector) {
            if (sector != 3)
                outcome.push_back(sectorOf(now, sector, 0x11, 0x22));
        }
        outcomes.insert(outcome);

        FaultEnv again;  // the same seed, the same outcome
        again.install("db", std::vector<uint8_t>(2048, 0x11));
        again.losePowerAtRandom(seed);
        auto g = again.open("db", OpenMode::ReadWrite);
        ASSERT_TRUE((*g)->write(0, std::vector<uint8_t>(512, 0x44)).isOk());
        ASSERT_TRUE((*g)->sync().isOk());
        ASSERT_TRUE((*g)->write(512, std::vector<uint8_t>(1024, 0x22)).isOk());
        ASSERT_TRUE((*g)->write(2048, std::vector<uint8_t>(1024, 0x11)).isOk());
        again.crash();
        again.revive();
        EXPECT_EQ(again.contents("db"), now) << "seed " << seed;
    }
    using S = Sector;
    // The two-sector write whole, lost, torn and garbage; the growing write lost with or
    // without its new size (zeros), and kept.
    for (const std::vector<Sector>& expected : {std::vector{S::New, S::New},
                                                {S::Old, S::Old},
                                                {S::New, S::Old},
                                                {S::Old, S::Garbage},
                                                {S::Garbage, S::Garbage},
                                                {S::Old, S::Old, S::Zero, S::Zero},
                                                {S::New, S::New, S::Old, S::Old}}) {
        EXPECT_EQ(outcomes.count(expected), 1u) << "an outcome never seen";
    }
    EXPECT_EQ(sizes, (std::set<size_t>{2048, 3072}));
}

TEST(FaultEnv, ARandomPowerCutKeepsAPrefixOfTheUnsyncedFolderChanges) {
    std::set<std::vector<std::string>> outcomes;
    for (uint64_t seed = 1; seed <= 100; ++seed) {
        FaultEnv env;
        env.install("/d/a", pages({1}));
        env.install("/d/b", pages({2}));
        env.losePowerAtRandom(seed);
        {
            auto c = env.open("/d/c", OpenMode::CreateNew);
            ASSERT_TRUE(c.isOk());
            ASSERT_TRUE((*c)->write(0, pages({3})).isOk());
            ASSERT_TRUE((*c)->sync().isOk());
        }
        ASSERT_TRUE(env.remove("/d/a").isOk());
        ASSERT_TRUE(env.rename("/d/b", "/d/e").isOk());
        ASSERT_TRUE(env.syncFolderOf("/other/x").isOk());  // another folder's sync
        env.crash();
        env.revive();
        std::vector<std::string> names;
        for (const char* name : {"/d/a", "/d/b", "/d/c", "/d/e"}) {
            if (env.exists(name))
                names.push_back(name);
        }
        outcomes.insert(names);
        if (env.exists("/d/c")) {
            EXPECT_EQ(env.contents("/d/c"), pages({3}));
        }
        if (env.exists("/d/e")) {
            EXPECT_EQ(env.contents("/d/e"), pages({2}));
        }
    }
    EXPECT_EQ(outcomes,
              (std::set<std::vector<std::string>>{
                  {"/d/a", "/d/b"}, {"/d/a", "/d/b", "/d/c"}, {"/d/b", "/d/c"}, {"/d/c", "/d/e"}}));
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

// A commit point disarms the journal; the next journal goes over it in place, shorter or
// longer, syncing only its data, and plays back its own pages and size alone.
TEST(RollbackJournal, AJournalWrittenOverADisarmedOnePlaysBackItsOwnPages) {
    struct Step {
        std::vector<JournalPage> old;  // the pages the journal saves, of the file before
        uint64_t size;                 // the file's size before
        int syncs;                     // what writing it syncs: data, and folder when new
    };
    const std::vector<Step> steps = {
        {{{1, pages({2})}, {2, pages({3})}}, 48, 2},                   // made anew
        {{{0, pages({1})}}, 32, 1},                                    // over it, shorter
        {{{0, pages({1})}, {1, pages({2})}, {2, pages({3})}}, 48, 1},  // over it, longer
    };
    FaultEnv env;
    env.install("db", pages({1, 2, 3}));
    const std::string jp = RollbackJournal::pathFor("db");
    RollbackJournal::Place place = RollbackJournal::Place::New;
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const Step& step = steps[i];
        const int syncs = env.syncCount();
        ASSERT_TRUE(RollbackJournal::write(
                        env, jp, 16, step.size, step.old.size(),
                        [&](size_t k, uint32_t& number, MutableBytes bytes) {
                            number = step.old[k].number;
                            std::copy(step.old[k].bytes.begin(), step.old[k].bytes.end(),
                                      bytes.begin());
                            return Status::ok();
                        },
                        place)
                        .isOk());
        EXPECT_EQ(env.syncCount() - syncs, step.syncs);
        auto db = env.open("db", OpenMode::ReadOnly);
        ASSERT_TRUE(db.isOk());
        EXPECT_TRUE(*RollbackJournal::playsBack(env, jp, **db));
        // Played back onto a file written all over, it puts back exactly its pages and size
        // (in an Env of its own, as recovering removes the journal).
        FaultEnv other;
        other.install(jp, env.contents(jp));
        other.install("db", pages({9, 9, 9, 9}));
        auto f = other.open("db", OpenMode::ReadWrite);
        ASSERT_TRUE(f.isOk());
        ASSERT_TRUE(*RollbackJournal::recover(other, jp, **f));
        std::vector<uint8_t> expected = pages({9, 9, 9, 9});
        expected.resize(step.size);
        for (const JournalPage& p : step.old)
            std::copy(p.bytes.begin(), p.bytes.end(), expected.begin() + p.number * 16);
        EXPECT_EQ(other.contents("db"), expected);
        // Closing leaves a journal that is not disarmed.
        ASSERT_TRUE(RollbackJournal::removeDisarmed(env, jp).isOk());
        EXPECT_TRUE(*RollbackJournal::playsBack(env, jp, **db));
        // Disarmed, without a sync, it stays and plays back nothing.
        const int beforeDisarming = env.syncCount();
        ASSERT_TRUE(RollbackJournal::disarm(env, jp).isOk());
        EXPECT_EQ(env.syncCount(), beforeDisarming);
        EXPECT_TRUE(env.exists(jp));
        EXPECT_FALSE(*RollbackJournal::playsBack(env, jp, **db));
        place = RollbackJournal::Place::OverDisarmed;
    }
    ASSERT_TRUE(RollbackJournal::removeDisarmed(env, jp).isOk());
    EXPECT_FALSE(env.exists(jp));
}

// A commit writes page 1 over and appends page 3. Its journal plays back unless the file holds
// the commit whole: the new size, every page written with its new bytes. A commit that failed
// rolls back whatever the file holds, and a journal that knows no page written always plays
// back.
TEST(RollbackJournal, AJournalWhoseCommitTheFileHoldsWholeOnlyGoes) {
    const std::vector<uint8_t> before = pages({1, 2, 3});
    const std::vector<uint8_t> after = pages({1, 8, 3, 9});
    const FileAfterCommit whole{
        64, {{1, quickPageHash(1, pages({8}))}, {3, quickPageHash(3, pages({9}))}}};
    std::vector<uint8_t> torn = after;
    std::fill_n(torn.begin() + 24, 8, 2);  // page 1's second half still old
    struct Case {
        const char* name;
        std::vector<uint8_t> file;  // as the crash left it
        FileAfterCommit after;
        RollbackJournal::Rollback when;
        bool playsBack;
    };
    const auto unless = RollbackJournal::Rollback::UnlessCommitWhole;
    const std::vector<Case> cases = {
        {"whole", after, whole, unless, false},
        {"whole, the commit failed", after, whole, RollbackJournal::Rollback::Always, true},
        {"page 1 not written", pages({1, 2, 3, 9}), whole, unless, true},
        {"page 3 not appended", pages({1, 8, 3}), whole, unless, true},
        {"page 1 torn", torn, whole, unless, true},
        {"longer than after", pages({1, 8, 3, 9, 0}), whole, unless, true},
        {"no page written known", after, {64, {}}, unless, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultEnv env;
        env.install("db", c.file);
        const std::string jp = RollbackJournal::pathFor("db");
        ASSERT_TRUE(RollbackJournal::write(env, jp, 16, 48, {{1, pages({2})}}, c.after).isOk());
        auto f = env.open("db", OpenMode::ReadWrite);
        ASSERT_TRUE(f.isOk());
        if (c.when == unless) {
            EXPECT_EQ(*RollbackJournal::playsBack(env, jp, **f), c.playsBack);
        }
        Result<bool> r = RollbackJournal::recover(env, jp, **f, c.when);
        ASSERT_TRUE(r.isOk());
        EXPECT_EQ(*r, c.playsBack);
        EXPECT_EQ(env.contents("db"), c.playsBack ? before : c.file);
        EXPECT_FALSE(env.exists(jp));
    }
}

// Journals of the earlier layouts, as a program of before leaves them in a crash, are rolled
// back all the same: the first checked with FNV-1a over every byte, the second with pageHash()
// over the header and each entry, the third with quickPageHash(); with one byte of one changed
// it is discarded.
TEST(RollbackJournal, JournalsOfEarlierLayoutsAreStillRolledBack) {
    for (const char version : {'1', '2', '3'}) {
        SCOPED_TRACE(version);
        std::vector<uint8_t> journal = {'V', 'L', 'M', 'J', 'R', 'N', 'L', uint8_t(version)};
        auto put = [&](uint64_t v, int bytes) {
            for (int i = 0; i < bytes; ++i)
                journal.push_back(uint8_t(v >> (8 * i)));
        };
        put(16, 4);  // page size
        put(1, 4);   // pages
        put(32, 8);  // the file's size before
        const PageHash hash = version == '3' ? quickPageHash : pageHash;
        uint64_t h = hash(0xFFFFFFFFu, journal);
        put(1, 4);  // page 1 as it was
        const std::vector<uint8_t> page = pages({2});
        journal.insert(journal.end(), page.begin(), page.end());
        if (version == '1') {
            h = 1469598103934665603ull;
            for (uint8_t b : journal)
                h = (h ^ b) * 1099511628211ull;
        } else {
            h = h * 0x9E3779B97F4A7C15ull + hash(1, page);
        }
        put(h, 8);
        for (const bool damaged : {false, true}) {
            FaultEnv env;
            env.install("db", pages({1, 7, 7}));
            const std::string jp = RollbackJournal::pathFor("db");
            std::vector<uint8_t> written = journal;
            written[30] ^= damaged ? 0x40 : 0;
            env.install(jp, written);
            auto f = env.open("db", OpenMode::ReadWrite);
            ASSERT_TRUE(f.isOk());
            Result<bool> r = RollbackJournal::recover(env, jp, **f);
            ASSERT_TRUE(r.isOk());
            EXPECT_EQ(*r, !damaged);
            EXPECT_EQ(env.contents("db"), damaged ? pages({1, 7, 7}) : pages({1, 2}));
            EXPECT_FALSE(env.exists(jp));
        }
    }
}

// A large journal goes in pieces of 16 pages: each size around a piece's end restores every
// page, and a journal whose last piece never got written is discarded.
TEST(RollbackJournal, AJournalWrittenInPiecesRestoresEveryPageOrNone) {
    struct Case {
        size_t pages;
        int writes;  // the journal's creation (a truncation) and its pieces
    };
    for (const Case c : {Case{0, 2}, Case{16, 2}, Case{17, 3}, Case{34, 4}, Case{130, 9}}) {
        SCOPED_TRACE(c.pages);
        std::vector<uint8_t> original;
        for (size_t k = 0; k < 140; ++k)
            original.insert(original.end(), 16, uint8_t(k));
        const std::string jp = RollbackJournal::pathFor("db");
        const auto source = [&](size_t k, uint32_t& number, MutableBytes bytes) {
            number = uint32_t(2 * k % 140);  // out of order, as page numbers need not be
            std::copy_n(original.begin() + long(16 * number), 16, bytes.begin());
            return Status::ok();
        };
        for (bool lastPieceLost : {false, true}) {
            FaultEnv env;
            env.install("db", original);
            const int before = env.writeCount();
            if (lastPieceLost)
                env.failWriteAt(c.writes);
            Status written = RollbackJournal::write(env, jp, 16, original.size(), c.pages, source);
            ASSERT_EQ(written.isOk(), !lastPieceLost);
            EXPECT_EQ(env.writeCount() - before, c.writes);
            auto f = env.open("db", OpenMode::ReadWrite);
            ASSERT_TRUE(f.isOk());
            ASSERT_TRUE((*f)->write(0, std::vector<uint8_t>(original.size() + 32, 0xEE)).isOk());
            Result<bool> r = RollbackJournal::recover(env, jp, **f);
            ASSERT_TRUE(r.isOk());
            EXPECT_EQ(*r, !lastPieceLost);
            std::vector<uint8_t> now = env.contents("db");
            if (lastPieceLost) {
                EXPECT_EQ(now.size(), original.size() + 32);
                continue;
            }
            ASSERT_EQ(now.size(), original.size());
            for (size_t k = 0; k < c.pages; ++k) {
                const size_t at = 16 * (2 * k % 140);
                EXPECT_TRUE(std::equal(now.begin() + long(at), now.begin() + long(at + 16),
                                       original.begin() + long(at)))
                    << "page " << at / 16;
            }
        }
    }
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
