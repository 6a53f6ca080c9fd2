// The commit protocol under failure, for a commit that rewrites much of a table and for commits
// that change a few rows where they are, memos on LVAL pages included: every write, read and sync
// of a commit fails in turn, and the power is cut at every sync point. Each time, the file that the
// next open sees is exactly the new one, or the old one: same size, every page the old state uses
// byte for byte equal (pages its global map marks free may hold leftovers), and no journal is left.
// The commits keep two pages' images in memory at most and the others in a scratch file, so that
// every failure also meets images read back from there; they write what a commit holding every
// image in memory writes. The same holds for a commit that follows an earlier one on its handle,
// whose journal goes over the disarmed journal of that one, shorter or longer.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>

#include "engine/io/fault_env.h"
#include "engine/io/journal.h"
#include "engine/jet/checker.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

const char* const kCrashPath = "/db/channels.mdb";

// The commits under test: what each changes in Table1 before it commits.
enum class Family {
    Mixed,       // rows changed, erased, and enough added for new data and index pages
    OneCell,     // one text in one row, written in its slot
    RowsMove,    // every row of the first page grown past its room: rows move behind pointers
    LongValues,  // memos on LVAL pages rewritten, set to Null, erased with their row, added
};

// The table each family changes; LongValues works on the memo column (0) of "test".
const char* tableOf(Family family) {
    return family == Family::LongValues ? "test" : "Table1";
}

// The memos LongValues starts from: rows with values in one LVAL row and in chains.
Status addLongValues(io::Env& env) {
    OpenOptions o;
    o.useOsLocks = false;
    auto db = openStoreDatabase(kCrashPath, env, o);
    if (!db.isOk())
        return db.status();
    auto t = (*db)->table("test");
    if (!t.isOk())
        return t.status();
    store::RowId first = 0;
    (*t)->forEachLive([&](store::RowId id, const store::Row&) { first = id; });
    for (size_t length : {3000u, 9000u, 3000u, 9000u}) {
        store::Row r = (*t)->row(first);
        r[0] = std::string(length, char('a' + length % 7));
        VELMORA_RETURN_IF_ERROR(store::insertRow(**t, r, (*db)->rowRules()).status());
    }
    return (*db)->commit();
}

Status changeRows(store::Table& table, const store::RowRules& rules, Family family) {
    std::vector<store::RowId> ids;
    table.forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
    const auto setText = [&](store::RowId id, std::string text) {
        store::Row r = table.row(id);
        r[1] = std::move(text);
        return store::updateRow(table, id, r, rules);
    };
    if (family == Family::OneCell)
        return setText(ids[42], "Ä");
    if (family == Family::LongValues) {
        const auto setMemo = [&](store::RowId id, store::Value v) {
            store::Row r = table.row(id);
            r[0] = std::move(v);
            return store::updateRow(table, id, r, rules);
        };
        VELMORA_RETURN_IF_ERROR(setMemo(ids[1], std::string(5000, 'n')));
        VELMORA_RETURN_IF_ERROR(setMemo(ids[2], store::Null{}));
        VELMORA_RETURN_IF_ERROR(store::deleteRow(table, ids[3]));
        store::Row r = table.row(ids[0]);
        r[0] = std::string(12000, 'z');
        return store::insertRow(table, r, rules).status();
    }
    if (family == Family::RowsMove) {
        const uint32_t first = table.placeOf(ids[0]) >> 8;
        for (store::RowId id : ids) {
            if (table.placeOf(id) >> 8 == first)
                VELMORA_RETURN_IF_ERROR(
                    setText(id, std::string(rules.maxTextChars(table.schema().columns[1]), 'W')));
        }
        return Status::ok();
    }
    for (size_t k = 0; k < ids.size(); k += 7)
        VELMORA_RETURN_IF_ERROR(setText(ids[k], "Änderung " + std::to_string(k)));
    for (size_t k = 1; k < ids.size(); k += 11)
        VELMORA_RETURN_IF_ERROR(store::deleteRow(table, ids[k]));
    for (int n = 0; n < 700; ++n) {
        store::Row r = table.row(ids[0]);
        r[0] = int64_t(100000 + n);
        r[2] = std::string("neu ") + std::to_string(n);
        VELMORA_RETURN_IF_ERROR(store::insertRow(table, r, rules).status());
    }
    return Status::ok();
}

// Two Jet 3 pages, one Jet 4 page; and room for every image of the commits here.
constexpr size_t kSpillingBudget = 4096;
constexpr size_t kInMemoryBudget = size_t(64) << 20;

// The handle a commit runs on: new, or one that committed a change of every fifth text of
// Table1 first, so that its journal is written over that commit's disarmed one.
enum class Handle { New, AfterCommit };

Status commitEarlierChange(store::Database& db) {
    auto t = db.table("Table1");
    if (!t.isOk())
        return t.status();
    std::vector<store::RowId> ids;
    (*t)->forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
    for (size_t k = 0; k < ids.size(); k += 5) {
        store::Row r = (*t)->row(ids[k]);
        r[1] = "vorher " + std::to_string(k);
        VELMORA_RETURN_IF_ERROR(store::updateRow(**t, ids[k], r, db.rowRules()));
    }
    return db.commit();
}

// One commit of `family` on `handle`: the status of that commit. `arm` runs right before it
// (after the earlier commit), so that faults count from the commit under test.
Status commitFamily(
    io::Env& env, Family family, Handle handle, const std::function<void()>& arm = [] {},
    size_t budget = kSpillingBudget) {
    OpenOptions options = noOsLocks();
    options.commitImageBudget = budget;
    auto db = openStoreDatabase(kCrashPath, env, options);
    if (!db.isOk())
        return db.status();
    if (handle == Handle::AfterCommit)
        VELMORA_RETURN_IF_ERROR(commitEarlierChange(**db));
    arm();
    auto t = (*db)->table(tableOf(family));
    if (!t.isOk())
        return t.status();
    VELMORA_RETURN_IF_ERROR(changeRows(**t, (*db)->rowRules(), family));
    return (*db)->commit();
}

// The same Access-made table shape in both versions: compIndexTest in Jet 3 and in Jet 4, under
// each family of commits.
using CrashCase = std::tuple<std::string, Family, Handle>;

class WriterCrash : public ::testing::TestWithParam<CrashCase> {
protected:
    Family family() const { return std::get<1>(GetParam()); }
    Handle handle() const { return std::get<2>(GetParam()); }
    Status changeAndCommit(io::Env& env, const std::function<void()>& arm) const {
        return commitFamily(env, family(), handle(), arm);
    }

    void SetUp() override {
        fs::path fixture = writerFixtureDir() / std::get<0>(GetParam());
        if (!fs::exists(fixture))
            GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
        m_old = readFileBytes(fixture.string());
        if (family() == Family::LongValues) {
            FixedTimeFaultEnv prepared;
            prepared.install(kCrashPath, m_old);
            ASSERT_TRUE(addLongValues(prepared).isOk());
            m_old = prepared.contents(kCrashPath);
        }
        m_first = m_old;
        if (handle() == Handle::AfterCommit) {
            // The state the earlier commit leaves is the old one of the commit under test.
            FixedTimeFaultEnv prepared;
            prepared.install(kCrashPath, m_old);
            auto db = openStoreDatabase(kCrashPath, prepared, noOsLocks());
            ASSERT_TRUE(db.isOk());
            ASSERT_TRUE(commitEarlierChange(**db).isOk());
            m_old = prepared.contents(kCrashPath);
        }
        {
            FixedTimeFaultEnv probe;
            probe.install(kCrashPath, m_old);
            auto db = JetDatabase::open(kCrashPath, probe, noOsLocks());
            ASSERT_TRUE(db.isOk());
            auto global = (*db)->reader().globalUsageMap();
            ASSERT_TRUE(global.isOk());
            m_oldFree.insert(global->pages.begin(), global->pages.end());
            m_pageSize = (*db)->reader().pager().pageSize();
        }
        FixedTimeFaultEnv env;
        env.install(kCrashPath, m_first);
        int writes = 0;
        int syncs = 0;
        int reads = 0;
        int scratchFiles = 0;
        Status s = changeAndCommit(env, [&] {
            writes = env.writeCount();
            syncs = env.syncCount();
            reads = env.readCount();
            scratchFiles = env.scratchFilesMade();
        });
        ASSERT_TRUE(s.isOk()) << s.toString();
        m_writes = env.writeCount() - writes;
        m_syncs = env.syncCount() - syncs;
        m_new = env.contents(kCrashPath);
        ASSERT_NE(m_new, m_old);
        m_reads = env.readCount() - reads;
        std::cout << "one commit: " << m_writes << " writes, " << m_syncs << " syncs, " << m_reads
                  << " reads\n";
        // The journal, its folder entry (none over a disarmed journal), the file.
        EXPECT_EQ(m_syncs, handle() == Handle::AfterCommit ? 2 : 3);
        if (family() != Family::OneCell) {
            EXPECT_EQ(env.scratchFilesMade() - scratchFiles, 1);
        }
        // Images held in memory give the same file.
        FixedTimeFaultEnv inMemory;
        inMemory.install(kCrashPath, m_first);
        ASSERT_TRUE(commitFamily(
                        inMemory, family(), handle(), [] {}, kInMemoryBudget)
                        .isOk());
        EXPECT_EQ(inMemory.scratchFilesMade(), 0);
        EXPECT_TRUE(inMemory.contents(kCrashPath) == m_new);
        // The new state is sound.
        auto reopened = JetDatabase::open(kCrashPath, env, noOsLocks());
        ASSERT_TRUE(reopened.isOk());
        auto report = checkDatabase((*reopened)->reader());
        ASSERT_TRUE(report.isOk());
        for (const auto& p : report->problems)
            ADD_FAILURE() << p;
    }

    // Opens the file as the next program would and tells which state it holds.
    enum class State { Old, New, Neither };
    State reopenAndClassify(io::FaultEnv& env) {
        // The power stays on from here: a cut armed past the commit's last sync must not hit
        // the open, which removes the disarmed journal a cut after the commit point leaves.
        env.crashAtSync(0);
        env.revive();
        auto db = JetDatabase::open(kCrashPath, env, noOsLocks());
        EXPECT_TRUE(db.isOk()) << db.status().toString();
        EXPECT_FALSE(env.exists(io::RollbackJournal::pathFor(kCrashPath)));
        std::vector<uint8_t> now = env.contents(kCrashPath);
        if (now == m_new)
            return State::New;
        return sameUsedPages(now, m_old, m_oldFree, m_pageSize) ? State::Old : State::Neither;
    }

    // m_first: the file the test starts from; m_old: the one before the commit under test (the
    // same, or what the earlier commit on its handle left).
    std::vector<uint8_t> m_first, m_old, m_new;
    std::set<uint32_t> m_oldFree;
    size_t m_pageSize = 4096;
    int m_writes = 0;
    int m_syncs = 0;
    int m_reads = 0;
};

TEST_P(WriterCrash, EveryFailedWriteLeavesTheOldOrTheNewFile) {
    ASSERT_GE(m_writes, 2);
    for (int i = 1; i <= m_writes; ++i) {
        FixedTimeFaultEnv env;
        env.install(kCrashPath, m_first);
        Status s = changeAndCommit(env, [&] { env.failWriteAt(i); });
        State st = reopenAndClassify(env);
        EXPECT_NE(st, State::Neither) << "write " << i;
        // A commit that reported failure did not take effect.
        if (!s.isOk()) {
            EXPECT_EQ(st, State::Old) << "write " << i << ": " << s.toString();
        }
    }
}

// Reads of the file and of the scratch file, opening included: a commit that cannot read what
// it writes fails and leaves the old file.
TEST_P(WriterCrash, EveryFailedReadLeavesTheOldFile) {
    for (int i = 1; i <= m_reads; ++i) {
        FixedTimeFaultEnv env;
        env.install(kCrashPath, m_first);
        Status s = changeAndCommit(env, [&] { env.failReadAt(i); });
        env.failReadAt(0);
        State st = reopenAndClassify(env);
        EXPECT_NE(st, State::Neither) << "read " << i;
        if (!s.isOk()) {
            EXPECT_EQ(st, State::Old) << "read " << i << ": " << s.toString();
        }
    }
}

TEST_P(WriterCrash, EveryFailedSyncLeavesTheOldFile) {
    ASSERT_GE(m_syncs, 2);
    for (int i = 1; i <= m_syncs; ++i) {
        FixedTimeFaultEnv env;
        env.install(kCrashPath, m_first);
        Status s = changeAndCommit(env, [&] { env.failSyncAt(i); });
        EXPECT_FALSE(s.isOk()) << "sync " << i;
        EXPECT_EQ(reopenAndClassify(env), State::Old) << "sync " << i << ": " << s.toString();
    }
}

TEST_P(WriterCrash, PowerCutAtEverySyncPointLeavesTheOldOrTheNewFile) {
    int sawOld = 0;
    int sawNew = 0;
    for (int i = 1; i <= m_syncs + 1; ++i) {
        FixedTimeFaultEnv env;
        env.install(kCrashPath, m_first);
        const Status s = changeAndCommit(env, [&] { env.crashAtSync(i); });
        if (!env.crashed())
            env.crash();  // the cut comes after the last sync
        State st = reopenAndClassify(env);
        ASSERT_NE(st, State::Neither) << "power cut at sync " << i;
        (st == State::Old ? sawOld : sawNew)++;
        // The file's sync is the commit point: a commit that said so holds.
        EXPECT_EQ(st, s.isOk() ? State::New : State::Old) << "power cut at sync " << i;
    }
    EXPECT_EQ(sawOld, m_syncs);
    EXPECT_EQ(sawNew, 1);
}

// The power goes at every sync in turn, or once the commit is done, and what was not synced
// is, seed by seed, kept, lost, torn or garbage (FaultEnv::losePowerAtRandom): after the
// commit, its journal's disarming and removal. The rollback on the next open may be cut off
// too. The reopened file is the old or the new one, the new one whenever the commit said it
// held (and sometimes when the cut came before, all its writes on the disk), and passes the
// check.
TEST_P(WriterCrash, SeededPowerCutsLeaveTheOldOrTheNewFile) {
    int seen[3] = {0, 0, 0};
    int recoveriesCut = 0;
    for (uint64_t seed = 1; seed <= uint64_t(powerCutsPerFamily()); ++seed) {
        FixedTimeFaultEnv env;
        env.install(kCrashPath, m_first);
        const Status s = changeAndCommit(env, [&] {
            env.losePowerAtRandom(seed);
            env.crashAtSync(cutSyncOf(seed, m_syncs + 1));
        });
        ASSERT_NE(s.isOk(), env.crashed()) << "seed " << seed;
        if (!env.crashed())
            env.crash();
        recoveriesCut += cutPowerDuringRecovery(
            env, seed, [&] { (void)JetDatabase::open(kCrashPath, env, noOsLocks()); });
        const State st = reopenAndClassify(env);
        ++seen[int(st)];
        ASSERT_NE(st, State::Neither) << "seed " << seed;
        // A cut before the file's sync was done may still find the commit whole.
        if (s.isOk()) {
            ASSERT_EQ(st, State::New) << "seed " << seed;
        }
        auto db = JetDatabase::open(kCrashPath, env, noOsLocks());
        ASSERT_TRUE(db.isOk()) << "seed " << seed;
        auto report = checkDatabase((*db)->reader());
        ASSERT_TRUE(report.isOk()) << "seed " << seed;
        for (const auto& p : report->problems)
            ADD_FAILURE() << "seed " << seed << ": " << p;
    }
    std::cout << seen[0] << " old, " << seen[1] << " new, " << recoveriesCut
              << " rollbacks cut off\n";
    EXPECT_GT(seen[int(State::Old)], 0);
    EXPECT_GT(seen[int(State::New)], 0);
    EXPECT_GT(recoveriesCut, 0);
}

std::string crashTestName(const ::testing::TestParamInfo<CrashCase>& info) {
    const std::string& file = std::get<0>(info.param);
    const Family family = std::get<1>(info.param);
    return file.substr(0, file.find('.')) +
           (family == Family::Mixed        ? "Mixed"
            : family == Family::OneCell    ? "OneCell"
            : family == Family::LongValues ? "LongValues"
                                           : "RowsMove") +
           (std::get<2>(info.param) == Handle::AfterCommit ? "AfterCommit" : "");
}

INSTANTIATE_TEST_SUITE_P(
    BothVersions, WriterCrash,
    ::testing::Combine(::testing::Values("compIndexTestV2000.mdb", "compIndexTestV1997.mdb"),
                       ::testing::Values(Family::Mixed, Family::OneCell, Family::RowsMove),
                       ::testing::Values(Handle::New)),
    crashTestName);

// Memos of an Access-made Jet 4 table changed where they are.
INSTANTIATE_TEST_SUITE_P(LongValues, WriterCrash,
                         ::testing::Combine(::testing::Values("fixedNumericTestV2000.mdb"),
                                            ::testing::Values(Family::LongValues),
                                            ::testing::Values(Handle::New)),
                         crashTestName);

// A second commit on a handle: OneCell's journal is shorter than the earlier commit's, Mixed's
// longer.
INSTANTIATE_TEST_SUITE_P(SecondCommit, WriterCrash,
                         ::testing::Combine(::testing::Values("compIndexTestV2000.mdb",
                                                              "compIndexTestV1997.mdb"),
                                            ::testing::Values(Family::Mixed, Family::OneCell),
                                            ::testing::Values(Handle::AfterCommit)),
                         crashTestName);

}  // namespace
}  // namespace velmora::engine::jet
