// OS locks and the .ldb file; see database_lock.h.
#include "engine/io/database_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"

namespace velmora::engine::io {
namespace {

constexpr off_t kUserLockBase = 0x10000001;
constexpr int kMaxUsers = 255;
constexpr size_t kRecordSize = 64;
// Our own byte on the .mdb: far past any page a file of this format can have.
constexpr off_t kWriterLockOffset = 0x7FFFFFF0;

bool probe(int fd, off_t start, off_t length, short type, struct flock* found = nullptr) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = length;
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0)
        return false;
    if (found)
        *found = fl;
    return fl.l_type != F_UNLCK;
}

bool lockByte(int fd, off_t offset) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

Status inUse(const std::string& path, const std::string& why) {
    return Status::error(err::kFileLocked,
                         "Could not use '" + path + "'; file already in use (" + why + ").");
}

}  // namespace

std::string DatabaseLock::lockFilePath(const std::string& databasePath) {
    size_t slash = databasePath.find_last_of('/');
    size_t dot = databasePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return databasePath + ".ldb";
    return databasePath.substr(0, dot) + ".ldb";
}

Result<std::unique_ptr<DatabaseLock>> DatabaseLock::acquire(const std::string& databasePath,
                                                            const std::string& userName) {
    std::unique_ptr<DatabaseLock> lock(new DatabaseLock());
    lock->m_mdbFd = ::open(databasePath.c_str(), O_RDWR | O_CLOEXEC);
    if (lock->m_mdbFd < 0) {
        return Status::error(err::kNotPermitted, "Cannot open '" + databasePath +
                                                     "' for writing: " + std::strerror(errno));
    }
    if (probe(lock->m_mdbFd, 0, 0, F_WRLCK))
        return inUse(databasePath, "another program holds a lock on it");
    if (!lockByte(lock->m_mdbFd, kWriterLockOffset))
        return inUse(databasePath, "another program holds a lock on it");

    lock->m_ldbPath = lockFilePath(databasePath);
    lock->m_ldbFd = ::open(lock->m_ldbPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock->m_ldbFd < 0) {
        std::string why = std::strerror(errno);
        lock->m_ldbPath.clear();  // not ours to remove
        return Status::error(err::kNotPermitted,
                             "Cannot create the lock file beside '" + databasePath + "': " + why);
    }
    struct flock holder {};
    if (probe(lock->m_ldbFd, kUserLockBase, kMaxUsers, F_WRLCK, &holder)) {
        int record = int(holder.l_start - kUserLockBase);
        std::array<char, kRecordSize> rec{};
        std::string who = "a running program holds its lock file";
        if (::pread(lock->m_ldbFd, rec.data(), rec.size(), off_t(record) * off_t(kRecordSize)) ==
            ssize_t(rec.size())) {
            // Jet pads the two names with blanks or zeros.
            const std::string computer = trimBlanks({rec.data(), strnlen(rec.data(), 32)});
            const std::string user = trimBlanks({rec.data() + 32, strnlen(rec.data() + 32, 32)});
            if (!computer.empty())
                who = "opened by " + user + " on " + computer;
        }
        ::close(lock->m_ldbFd);
        lock->m_ldbFd = -1;
        lock->m_ldbPath.clear();  // someone else's
        return inUse(databasePath, who);
    }
    // Nobody holds a user lock: records in the file are stale. Take the first free slot.
    for (int n = 0; n < kMaxUsers; ++n) {
        if (lockByte(lock->m_ldbFd, kUserLockBase + n)) {
            lock->m_slot = n;
            break;
        }
    }
    if (lock->m_slot < 0)
        return inUse(databasePath, "every lock-file slot is taken");
    std::array<char, kRecordSize> rec{};
    char host[64] = {};
    ::gethostname(host, sizeof host - 1);
    std::memcpy(rec.data(), host, std::min<size_t>(32, std::strlen(host)));
    std::memcpy(rec.data() + 32, userName.data(), std::min<size_t>(32, userName.size()));
    if (::pwrite(lock->m_ldbFd, rec.data(), rec.size(), off_t(lock->m_slot) * off_t(kRecordSize)) !=
        ssize_t(rec.size())) {
        return Status::error(err::kDiskIo, "Cannot write the lock file '" + lock->m_ldbPath +
                                               "': " + std::strerror(errno));
    }
    return lock;
}

DatabaseLock::~DatabaseLock() {
    if (m_ldbFd >= 0) {
        // Remove the lock file unless another user still holds a user lock in it.
        bool others = probe(m_ldbFd, kUserLockBase, kMaxUsers, F_WRLCK);
        if (!others && !m_ldbPath.empty())
            ::unlink(m_ldbPath.c_str());
        ::close(m_ldbFd);
    } else if (!m_ldbPath.empty() && m_slot < 0) {
        // Created by us in a failed acquire: nothing of anyone else's is in it.
        ::unlink(m_ldbPath.c_str());
    }
    if (m_mdbFd >= 0)
        ::close(m_mdbFd);
}

}  // namespace velmora::engine::io
