// The OS lock and the .ldb lock file, on the real file system.
#include "engine/io/database_lock.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/base/error_codes.h"

namespace velmora::engine::io {
namespace {

namespace fs = std::filesystem;

// This computer's name as the system tells it, apart from the engine's own code.
std::string thisComputer() {
#ifdef _WIN32
    const char* name = std::getenv("COMPUTERNAME");
    return name ? name : "";
#else
    char host[64] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
#endif
}

class DatabaseLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("velmora-lock-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        m_db = (m_dir / "channels.mdb").string();
        std::ofstream(m_db) << std::string(4096, '\0');
    }
    void TearDown() override {
        // Windows removes no file marked read-only.
        std::error_code ignored;
        fs::permissions(m_db, fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(m_dir);
    }

    fs::path m_dir;
    std::string m_db;
};

TEST_F(DatabaseLockTest, LockFileNames) {
    EXPECT_EQ(DatabaseLock::lockFilePath("/a/b/x.mdb"), "/a/b/x.ldb");
    EXPECT_EQ(DatabaseLock::lockFilePath("/a.b/x"), "/a.b/x.ldb");
}

TEST_F(DatabaseLockTest, SecondWriterIsRefusedAndLdbIsRemovedOnRelease) {
    std::string ldb = DatabaseLock::lockFilePath(m_db);
    {
        auto first = DatabaseLock::acquire(m_db);
        ASSERT_TRUE(first.isOk()) << first.status().toString();
        ASSERT_TRUE(fs::exists(ldb));
        // The record names this computer and the user.
        std::ifstream in(ldb, std::ios::binary);
        std::string rec(64, '\0');
        in.read(rec.data(), 64);
        EXPECT_EQ(rec.substr(32, 5), "Admin");
        const std::string host = thisComputer();
        ASSERT_FALSE(host.empty());
        EXPECT_EQ(rec.substr(0, std::min<size_t>(32, host.size())), host.substr(0, 32));

        auto second = DatabaseLock::acquire(m_db);
        ASSERT_FALSE(second.isOk());
        EXPECT_EQ(second.status().code(), err::kFileLocked);
        EXPECT_TRUE(fs::exists(ldb));  // the refused opener leaves it alone
    }
    EXPECT_FALSE(fs::exists(ldb));
    auto again = DatabaseLock::acquire(m_db);
    EXPECT_TRUE(again.isOk());
}

// A Jet client's record (names padded with blanks, as Jet writes them) and its user lock in the
// .ldb, nothing on the .mdb.
constexpr uint64_t kFirstUserLock = 0x10000001;
std::string jetClientRecord() {
    std::string rec(64, ' ');
    rec.replace(0, 7, "OTHERPC");
    rec.replace(32, 5, "Admin");
    return rec;
}

#ifdef _WIN32
// LockFileEx locks belong to the handle: a second handle of this process is as much "another
// program" to the lock as a second process.
void whileAnotherProgramHoldsTheUserLock(const std::string& ldb,
                                         const std::function<void()>& body) {
    auto other = LockingFile::open(ldb, LockingFile::Open::CreateIfMissing);
    ASSERT_TRUE(other.isOk()) << other.status().toString();
    const std::string rec = jetClientRecord();
    ASSERT_TRUE((*other)->writeAt(0, rec).isOk());
    ASSERT_TRUE((*other)->tryLock(kFirstUserLock));
    body();
}
#else
// A traditional fcntl lock taken by another process, as Wine takes it for a Windows program.
void whileAnotherProgramHoldsTheUserLock(const std::string& ldb,
                                         const std::function<void()>& body) {
    int ready[2];
    int done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int fd = ::open(ldb.c_str(), O_RDWR | O_CREAT, 0644);
        const std::string rec = jetClientRecord();
        ssize_t w = ::pwrite(fd, rec.data(), 64, 0);
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = kFirstUserLock;
        fl.l_len = 1;
        int ok = (w == 64 && ::fcntl(fd, F_SETLK, &fl) == 0) ? 1 : 0;
        char c = char(ok);
        (void)!::write(ready[1], &c, 1);
        (void)!::read(done[0], &c, 1);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 1);
    body();
    (void)!::write(done[1], &c, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
}
#endif

TEST_F(DatabaseLockTest, AnotherProgramHoldingTheLdbUserLockIsSeen) {
    std::string ldb = DatabaseLock::lockFilePath(m_db);
    whileAnotherProgramHoldsTheUserLock(ldb, [&] {
        auto lock = DatabaseLock::acquire(m_db);
        ASSERT_FALSE(lock.isOk());
        EXPECT_EQ(lock.status().code(), err::kFileLocked);
        EXPECT_NE(lock.status().message().find("(opened by Admin on OTHERPC)"), std::string::npos)
            << lock.status().message();
    });
    EXPECT_TRUE(fs::exists(ldb));  // stale now, and reused by the next opener
    auto after = DatabaseLock::acquire(m_db);
    EXPECT_TRUE(after.isOk());
}

TEST_F(DatabaseLockTest, UnwritableFileIsRefused) {
#ifndef _WIN32
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
#endif
    fs::permissions(m_db, fs::perms::owner_read);
    auto lock = DatabaseLock::acquire(m_db);
    ASSERT_FALSE(lock.isOk());
    EXPECT_EQ(lock.status().code(), err::kNotPermitted);
    EXPECT_FALSE(fs::exists(DatabaseLock::lockFilePath(m_db)));
}

}  // namespace
}  // namespace velmora::engine::io
