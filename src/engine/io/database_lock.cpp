// The database lock's protocol over the OS locks of locking_file.h; see database_lock.h.
#include "engine/io/database_lock.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"
#include "engine/io/file.h"

namespace velmora::engine::io {
namespace {

constexpr uint64_t kUserLockBase = 0x10000001;
constexpr int kMaxUsers = 255;
constexpr size_t kRecordSize = 64;
// Our own byte on the .mdb: far past any page a file of this format can have.
constexpr uint64_t kWriterLockOffset = 0x7FFFFFF0;
// Where another program's lock on the .mdb is looked for. Windows locks are mandatory, so a
// probe over the pages would, for its moment, fail the other program's reads and writes: there
// only the extended ranges are probed, where Jet and we place every lock.
#ifdef _WIN32
constexpr uint64_t kMdbProbeStart = 0x10000000;
#else
constexpr uint64_t kMdbProbeStart = 0;
#endif

Status inUse(const std::string& path, const std::string& why) {
    return Status::error(err::kFileLocked,
                         "Could not use '" + path + "'; file already in use (" + why + ").");
}

// Who holds the first taken user lock of the .ldb, from that user's record.
std::string holderOf(LockingFile& ldb) {
    int n = 0;
    while (n < kMaxUsers && !ldb.lockedByOthers(kUserLockBase + uint64_t(n), 1))
        ++n;
    std::array<char, kRecordSize> rec{};
    if (n < kMaxUsers && ldb.readAt(uint64_t(n) * kRecordSize, rec)) {
        // Jet pads the two names with blanks or zeros.
        const std::string computer = trimBlanks({rec.data(), strnlen(rec.data(), 32)});
        const std::string user = trimBlanks({rec.data() + 32, strnlen(rec.data() + 32, 32)});
        if (!computer.empty())
            return "opened by " + user + " on " + computer;
    }
    return "a running program holds its lock file";
}

}  // namespace

std::string DatabaseLock::lockFilePath(const std::string& databasePath) {
    size_t slash = databasePath.find_last_of("/\\");
    size_t dot = databasePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return databasePath + ".ldb";
    return databasePath.substr(0, dot) + ".ldb";
}

Result<std::unique_ptr<DatabaseLock>> DatabaseLock::acquire(const std::string& databasePath,
                                                            const std::string& userName) {
    std::unique_ptr<DatabaseLock> lock(new DatabaseLock());
    auto mdb = LockingFile::open(databasePath, LockingFile::Open::Existing);
    if (!mdb) {
        if (mdb.status().code() == err::kFileLocked)
            return inUse(databasePath, "another program keeps it to itself");
        return mdb.status();
    }
    lock->m_mdb = std::move(mdb).value();
    if (lock->m_mdb->lockedByOthers(kMdbProbeStart, 0) || !lock->m_mdb->tryLock(kWriterLockOffset))
        return inUse(databasePath, "another program holds a lock on it");

    const std::string ldbPath = lockFilePath(databasePath);
    auto ldb = LockingFile::open(ldbPath, LockingFile::Open::CreateIfMissing);
    if (!ldb) {
        if (ldb.status().code() == err::kFileLocked)
            return inUse(databasePath, "another program keeps its lock file to itself");
        return Status::error(err::kNotPermitted, "Cannot create the lock file beside '" +
                                                     databasePath + "': " + ldb.status().message());
    }
    if ((*ldb)->lockedByOthers(kUserLockBase, kMaxUsers))
        return inUse(databasePath, holderOf(**ldb));  // the .ldb is someone else's: left alone
    lock->m_ldb = std::move(ldb).value();

    // Nobody holds a user lock: records in the file are stale. Take the first free slot.
    for (int n = 0; n < kMaxUsers; ++n) {
        if (lock->m_ldb->tryLock(kUserLockBase + uint64_t(n))) {
            lock->m_slot = n;
            break;
        }
    }
    if (lock->m_slot < 0)
        return inUse(databasePath, "every lock-file slot is taken");
    std::array<char, kRecordSize> rec{};
    const std::string host = computerName();
    std::memcpy(rec.data(), host.data(), std::min<size_t>(32, host.size()));
    std::memcpy(rec.data() + 32, userName.data(), std::min<size_t>(32, userName.size()));
    VELMORA_RETURN_IF_ERROR(lock->m_ldb->writeAt(uint64_t(lock->m_slot) * kRecordSize, rec));
    return lock;
}

DatabaseLock::~DatabaseLock() {
    if (m_ldb) {
        // Remove the lock file unless another user still holds a user lock in it.
        if (m_slot >= 0)
            m_ldb->unlock(kUserLockBase + uint64_t(m_slot));
        if (!m_ldb->lockedByOthers(kUserLockBase, kMaxUsers))
            (void)Env::real().remove(m_ldb->path());  // a lock file left behind is only stale
        m_ldb.reset();
    }
    m_mdb.reset();
}

}  // namespace velmora::engine::io
