// A real writer process, killed with SIGKILL at random moments, over and over: after every
// kill the file opens (rolling back an interrupted commit), holds exactly one of the states
// the writer committed, passes the structural check, and mdb-export reads every table.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <random>

#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

constexpr int64_t kFirstId = 200000;
constexpr int32_t kReady = 0;

// The writer: commit k sets row 0's text to "state k" and adds the row kFirstId + k. Writes
// kReady to `progress` once the file is open, and k after each commit returned. Never returns.
[[noreturn]] void writerLoop(const std::string& path, int progress) {
    auto db = openStoreDatabase(path, io::Env::real());
    if (!db.isOk() || (*db)->isReadOnly())
        ::_exit(2);
    auto t = (*db)->table("Table1");
    if (!t.isOk())
        ::_exit(3);
    store::Table& table = **t;
    const store::RowRules& rules = (*db)->rowRules();
    store::RowId first = 0;
    int64_t k = 0;
    table.forEachLive([&](store::RowId, const store::Row& r) {
        if (auto* v = std::get_if<int64_t>(&r[0]); v && *v > kFirstId)
            k = std::max(k, *v - kFirstId);
    });
    while (!table.isLive(first))
        ++first;
    if (::write(progress, &kReady, sizeof kReady) != sizeof kReady)
        ::_exit(7);
    for (;;) {
        ++k;
        store::Row r = table.row(first);
        r[1] = "state " + std::to_string(k);
        if (!store::updateRow(table, first, r, rules).isOk())
            ::_exit(4);
        r[0] = kFirstId + k;
        if (!store::insertRow(table, r, rules).isOk())
            ::_exit(5);
        if (!(*db)->commit().isOk())
            ::_exit(6);
        int32_t done = int32_t(k);
        if (::write(progress, &done, sizeof done) != sizeof done)
            ::_exit(7);
    }
}

// The state the file holds: k from row 0's text, and whether the added rows agree with it.
struct FileState {
    int64_t k = -1;
    bool consistent = false;
    bool rolledBack = false;
};

FileState stateOf(const std::string& path) {
    FileState s;
    {
        auto raw = JetDatabase::open(path, io::Env::real());
        if (!raw.isOk())
            return s;
        s.rolledBack = (*raw)->recoveredOnOpen();
    }
    auto db = openStoreDatabase(path, io::Env::real());
    if (!db.isOk())
        return s;
    auto t = (*db)->table("Table1");
    if (!t.isOk())
        return s;
    std::set<int64_t> added;
    std::optional<std::string> text;
    (*t)->forEachLive([&](store::RowId, const store::Row& r) {
        if (!text)
            text = std::holds_alternative<std::string>(r[1]) ? std::get<std::string>(r[1]) : "";
        if (auto* v = std::get_if<int64_t>(&r[0]); v && *v > kFirstId)
            added.insert(*v - kFirstId);
    });
    int64_t k = 0;
    if (text && text->rfind("state ", 0) == 0)
        k = std::stoll(text->substr(6));
    s.k = k;
    s.consistent = int64_t(added.size()) == k && (added.empty() || *added.rbegin() == k);
    return s;
}

TEST(WriterKill, KilledWriterAlwaysLeavesACommittedState) {
    if (!fs::exists(writerFixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    TempDir dir;
    std::string path = dir.copyFixture("compIndexTestV2000.mdb");
    std::vector<std::string> tables;
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk());
        tables = (*db)->tableNames(true);
    }
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> delayUs(200, 40000);
    int64_t lastReported = 0;
    int kills = 0;
    int midCommit = 0;
    int rollbacks = 0;
    for (int round = 0; round < 200; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            writerLoop(path, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        // The delay runs from the writer's open on: on a busy machine the open alone may take
        // longer than the longest delay, and the kills would find no commit to interrupt.
        int32_t ready = -1;
        ASSERT_EQ(::read(pipeFds[0], &ready, sizeof ready), ssize_t(sizeof ready))
            << "round " << round << ": the writer ended before it opened the file";
        ASSERT_EQ(ready, kReady);
        ::usleep(useconds_t(delayUs(rng)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with " << status;
        ++kills;
        int32_t k;
        while (::read(pipeFds[0], &k, sizeof k) == sizeof k)
            lastReported = k;
        ::close(pipeFds[0]);

        FileState s = stateOf(path);  // opening rolls back an interrupted commit
        ASSERT_TRUE(s.consistent) << "round " << round << ": a mixture of states (k " << s.k << ")";
        // The commit in flight may or may not have reached its commit point.
        ASSERT_TRUE(s.k == lastReported || s.k == lastReported + 1)
            << "round " << round << ": state " << s.k << ", last reported " << lastReported;
        midCommit += s.k == lastReported + 1 ? 1 : 0;
        rollbacks += s.rolledBack ? 1 : 0;
        lastReported = s.k;
        if (round % 20 == 0 || round == 199) {
            ProcessResult check = velmoraCheck(path);
            ASSERT_EQ(check.status, 0) << "round " << round << ": " << check.out;
            for (const auto& t : tables)
                ASSERT_EQ(mdbExport(path, t).status, 0) << "round " << round << ": " << t;
        }
    }
    EXPECT_EQ(kills, 200);
    EXPECT_GT(lastReported, 20);  // the writer really committed in between
    std::cout << kills << " kills, " << lastReported << " commits, " << midCommit
              << " kills after an unreported commit point, " << rollbacks
              << " interrupted commits rolled back\n";
}

}  // namespace
}  // namespace velmora::engine::jet
