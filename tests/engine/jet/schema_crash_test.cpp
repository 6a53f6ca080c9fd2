// Shape changes under failure. One commit creates a table with rows and an index while it
// deletes another; every write and every sync of it fails in turn, and the power is cut at
// every sync point. The file the next open sees is exactly the new one, or the old one: same
// size and every page the old state uses byte for byte (the rollback does not restore pages
// the old global map marks free, which the commit may have filled). Making a new database under the
// same faults never leaves a partial file at its path.
#include <gtest/gtest.h>

#include <set>

#include "engine/io/fault_env.h"
#include "engine/io/journal.h"
#include "engine/jet/checker.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

const char* const kPath = "/db/shape.mdb";

store::TableSchema listSchema(const char* name) {
    store::TableSchema s;
    s.name = name;
    store::ColumnDef a;
    a.name = "Name";
    a.type = store::ColumnType::Text;
    a.length = 80;
    store::ColumnDef b;
    b.name = "Freq";
    b.type = store::ColumnType::Long;
    b.number = 1;
    s.columns = {a, b};
    store::RealIndex pk;
    pk.columns = {{0, true}, {1, true}};
    pk.flags = store::index_flag::kUnique | store::index_flag::kRequired;
    store::LogicalIndex li;
    li.name = "PrimaryKey";
    li.type = store::LogicalIndexType::PrimaryKey;
    s.realIndexes = {pk};
    s.logicalIndexes = {li};
    return s;
}

Status addTable(store::Database& db, const char* name, int rows) {
    VELMORA_ASSIGN_OR_RETURN(store::Table * t, db.createTable(listSchema(name)));
    for (int i = 0; i < rows; ++i) {
        store::Row r{store::Value("Sender " + std::to_string(i)), store::Value(int64_t(i % 97))};
        VELMORA_RETURN_IF_ERROR(store::insertRow(*t, std::move(r), db.rowRules()).status());
    }
    return Status::ok();
}

// The commit under test: "Old" goes, "New" comes with 600 rows.
Status reshape(io::Env& env) {
    auto db = openStoreDatabase(kPath, env, noOsLocks());
    if (!db.isOk())
        return db.status();
    VELMORA_RETURN_IF_ERROR((*db)->dropTable("Old"));
    VELMORA_RETURN_IF_ERROR(addTable(**db, "New", 600));
    return (*db)->commit();
}

class SchemaCrash : public ::testing::Test {
protected:
    void SetUp() override {
        NewDatabaseOptions options;
        options.creationDate = 45000.5;
        auto empty = buildNewJet4Database(options);
        ASSERT_TRUE(empty.isOk());
        testing::FixedTimeFaultEnv env;
        env.install(kPath, *empty);
        {
            auto db = openStoreDatabase(kPath, env, noOsLocks());
            ASSERT_TRUE(db.isOk());
            ASSERT_TRUE(addTable(**db, "Old", 50).isOk());
            ASSERT_TRUE((*db)->commit().isOk());
        }
        m_old = env.contents(kPath);
        {
            auto before = JetDatabase::open(kPath, env, noOsLocks());
            ASSERT_TRUE(before.isOk());
            auto global = (*before)->reader().globalUsageMap();
            ASSERT_TRUE(global.isOk());
            m_oldFree.insert(global->pages.begin(), global->pages.end());
            m_pageSize = (*before)->reader().pager().pageSize();
        }
        int writes = env.writeCount(), syncs = env.syncCount();
        Status s = reshape(env);
        ASSERT_TRUE(s.isOk()) << s.toString();
        m_writes = env.writeCount() - writes;
        m_syncs = env.syncCount() - syncs;
        m_new = env.contents(kPath);
        auto db = JetDatabase::open(kPath, env, noOsLocks());
        ASSERT_TRUE(db.isOk());
        EXPECT_EQ((*db)->reader().findTable("Old"), nullptr);
        ASSERT_NE((*db)->reader().findTable("New"), nullptr);
        auto report = checkDatabase((*db)->reader());
        ASSERT_TRUE(report.isOk());
        for (const auto& p : report->problems)
            ADD_FAILURE() << p;
    }

    enum class State { Old, New, Neither };
    State reopenAndClassify(io::FaultEnv& env) {
        env.revive();
        auto db = JetDatabase::open(kPath, env, noOsLocks());
        EXPECT_TRUE(db.isOk()) << db.status().toString();
        EXPECT_FALSE(env.exists(io::RollbackJournal::pathFor(kPath)));
        auto now = env.contents(kPath);
        if (now == m_new)
            return State::New;
        return testing::sameUsedPages(now, m_old, m_oldFree, m_pageSize) ? State::Old
                                                                         : State::Neither;
    }

    std::vector<uint8_t> m_old, m_new;
    std::set<uint32_t> m_oldFree;
    size_t m_pageSize = 4096;
    int m_writes = 0, m_syncs = 0;
};

TEST_F(SchemaCrash, FailedWritesAndSyncsLeaveTheOldOrTheNewFile) {
    ASSERT_GT(m_writes, 2);
    for (int i = 1; i <= m_writes; ++i) {
        testing::FixedTimeFaultEnv env;
        env.install(kPath, m_old);
        env.failWriteAt(i);
        Status s = reshape(env);
        State st = reopenAndClassify(env);
        EXPECT_NE(st, State::Neither) << "write " << i;
        if (!s.isOk()) {
            EXPECT_EQ(st, State::Old) << "write " << i;
        }
    }
    for (int i = 1; i <= m_syncs; ++i) {
        testing::FixedTimeFaultEnv env;
        env.install(kPath, m_old);
        env.failSyncAt(i);
        (void)reshape(env);  // the outcome is judged by what the next open sees
        EXPECT_NE(reopenAndClassify(env), State::Neither) << "sync " << i;
    }
}

TEST_F(SchemaCrash, PowerCutAtEverySyncPointLeavesTheOldOrTheNewFile) {
    int sawOld = 0, sawNew = 0;
    for (int i = 1; i <= m_syncs + 1; ++i) {
        testing::FixedTimeFaultEnv env;
        env.install(kPath, m_old);
        env.crashAtSync(i);
        (void)reshape(env);  // the power cut makes it fail, or it finished first
        State st = reopenAndClassify(env);
        EXPECT_NE(st, State::Neither) << "power cut at sync " << i;
        sawOld += st == State::Old;
        sawNew += st == State::New;
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

// Power cuts at every sync in turn, or after the commit, that leave what a real disk may leave,
// seed by seed, the rollback on the next open cut off too now and then: the old or the new
// file, sound.
TEST_F(SchemaCrash, SeededPowerCutsLeaveTheOldOrTheNewFile) {
    int sawOld = 0, sawNew = 0;
    for (uint64_t seed = 1; seed <= uint64_t(testing::powerCutsPerFamily()); ++seed) {
        testing::FixedTimeFaultEnv env;
        env.install(kPath, m_old);
        env.losePowerAtRandom(seed);
        const int at = testing::cutSyncOf(seed, m_syncs + 1);
        env.crashAtSync(at);
        (void)reshape(env);
        ASSERT_EQ(env.crashed(), at <= m_syncs) << "seed " << seed;
        if (!env.crashed())
            env.crash();  // once the commit is done
        testing::cutPowerDuringRecovery(env, seed,
                                        [&] { (void)JetDatabase::open(kPath, env, noOsLocks()); });
        const State st = reopenAndClassify(env);
        ASSERT_NE(st, State::Neither) << "seed " << seed;
        sawOld += st == State::Old;
        sawNew += st == State::New;
        auto db = JetDatabase::open(kPath, env, noOsLocks());
        ASSERT_TRUE(db.isOk()) << "seed " << seed;
        auto report = checkDatabase((*db)->reader());
        ASSERT_TRUE(report.isOk()) << "seed " << seed;
        for (const auto& p : report->problems)
            ADD_FAILURE() << "seed " << seed << ": " << p;
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

TEST(NewDatabaseCrash, APowerCutNeverLeavesAPartialFileAtThePath) {
    NewDatabaseOptions options;
    options.creationDate = 45000.5;
    auto full = buildNewJet4Database(options);
    ASSERT_TRUE(full.isOk());
    // At each of its two syncs, losing everything unsynced and, seed by seed, what a real disk
    // may lose.
    for (uint64_t seed = 0; seed <= uint64_t(testing::powerCutsPerFamily()); ++seed) {
        testing::FixedTimeFaultEnv env;
        if (seed > 0)
            env.losePowerAtRandom(seed);
        const int at = testing::cutSyncOf(seed + 1, 2);
        env.crashAtSync(at);
        (void)createDatabase(env, "/db/new.mdb", options);
        ASSERT_TRUE(env.crashed());
        env.revive();
        if (env.exists("/db/new.mdb")) {
            EXPECT_EQ(env.contents("/db/new.mdb"), *full) << "seed " << seed << ", sync " << at;
        }
    }
    testing::FixedTimeFaultEnv env;
    env.failWriteAt(1);
    EXPECT_FALSE(createDatabase(env, "/db/new.mdb", options).isOk());
    EXPECT_FALSE(env.exists("/db/new.mdb"));
    EXPECT_FALSE(env.exists("/db/new.mdb.velmora-new"));
}

}  // namespace
}  // namespace velmora::engine::jet
