// Locking: while one opener may write, any other opener of the same file gets it read-only,
// says why, and cannot change a byte of it, in Jet 3 and Jet 4 files alike; the .ldb beside
// the file goes away with the last user.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "engine/base/error_codes.h"
#include "engine/io/database_lock.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Changes one row of the first user table and commits.
Status touchFirstTable(store::Database& db) {
    auto names = db.tableNames(false);
    if (names.empty())
        return Status::error(err::kTableNotFound, "no user table");
    VELMORA_ASSIGN_OR_RETURN(store::Table * t, db.table(names.front()));
    std::optional<store::RowId> first;
    t->forEachLive([&](store::RowId id, const store::Row&) {
        if (!first)
            first = id;
    });
    if (!first)
        return Status::error(err::kNoCurrentRecord, "empty table");
    t->replace(*first, t->row(*first));  // a change, as far as the store can tell
    return db.commit();
}

class WriterLock : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(writerFixtureDir()))
            GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    }
    TempDir m_dir;
};

TEST_F(WriterLock, ASecondOpenerIsReadOnlyAndWritesNothing) {
    std::string path = m_dir.copyFixture("indexTestV2000.mdb");
    std::string ldb = io::DatabaseLock::lockFilePath(path);
    {
        auto writer = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(writer.isOk()) << writer.status().toString();
        EXPECT_FALSE((*writer)->isReadOnly()) << (*writer)->readOnlyReason();
        EXPECT_TRUE(fs::exists(ldb));

        auto other = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(other.isOk()) << other.status().toString();
        ASSERT_TRUE((*other)->isReadOnly());
        EXPECT_NE((*other)->readOnlyReason().find("already in use"), std::string::npos)
            << (*other)->readOnlyReason();
        std::vector<uint8_t> before = readFileBytes(path);
        Status s = touchFirstTable(**other);
        EXPECT_EQ(s.code(), err::kReadOnlyDatabase) << s.toString();
        EXPECT_EQ(readFileBytes(path), before);

        // The holder still writes.
        EXPECT_TRUE(touchFirstTable(**writer).isOk());
    }
    EXPECT_FALSE(fs::exists(ldb));
    EXPECT_EQ(velmoraCheck(path).status, 0);
}

// A file marked read-only opens read-only for every user, root included, and leaves no
// lock file behind.
TEST_F(WriterLock, AReadOnlyMarkedFileIsNeverWritten) {
    std::string path = m_dir.copyFixture("indexTestV2000.mdb");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::vector<uint8_t> before = readFileBytes(path);
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        ASSERT_TRUE((*db)->isReadOnly());
        EXPECT_NE((*db)->readOnlyReason().find("cannot be written"), std::string::npos)
            << (*db)->readOnlyReason();
        EXPECT_EQ(touchFirstTable(**db).code(), err::kReadOnlyDatabase);
        EXPECT_FALSE(fs::exists(io::DatabaseLock::lockFilePath(path)));
    }
    EXPECT_EQ(readFileBytes(path), before);
}

#ifndef _WIN32
// A forked holder. On Windows two processes meet in tests/win32/two_programs_test instead.
TEST_F(WriterLock, AnotherProcessHoldingTheFileMakesItReadOnly) {
    std::string path = m_dir.copyFixture("indexTestV2000.mdb");
    int ready[2];
    int done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto db = JetDatabase::open(path, io::Env::real());
        char c = db.isOk() && (*db)->readOnlyReason().empty() ? 1 : 0;
        (void)!::write(ready[1], &c, 1);
        (void)!::read(done[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 1);
    std::vector<uint8_t> before = readFileBytes(path);
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk());
        EXPECT_TRUE((*db)->isReadOnly());
        EXPECT_EQ(touchFirstTable(**db).code(), err::kReadOnlyDatabase);
    }
    EXPECT_EQ(readFileBytes(path), before);
    (void)!::write(done[1], &c, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    auto db = openStoreDatabase(path, io::Env::real());
    ASSERT_TRUE(db.isOk());
    EXPECT_FALSE((*db)->isReadOnly()) << (*db)->readOnlyReason();
}

#endif

// Jet 3 files are written like Jet 4 ones, under the same lock.
TEST_F(WriterLock, Jet3FilesAreLockedAndWritten) {
    std::string path = m_dir.copyFixture("indexTestV1997.mdb");
    std::string ldb = io::DatabaseLock::lockFilePath(path);
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        ASSERT_FALSE((*db)->isReadOnly()) << (*db)->readOnlyReason();
        EXPECT_TRUE(fs::exists(ldb));
        auto other = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(other.isOk());
        EXPECT_TRUE((*other)->isReadOnly());
        Status s = touchFirstTable(**db);
        EXPECT_TRUE(s.isOk()) << s.toString();
    }
    EXPECT_FALSE(fs::exists(ldb));
}

}  // namespace
}  // namespace velmora::engine::jet
