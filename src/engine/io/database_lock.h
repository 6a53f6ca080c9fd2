// The locks that keep two programs from writing one database file at the same time.
//
// While Velmora has a database open for writing it holds (locking_file.h: fcntl locks on
// POSIX, LockFileEx on Windows)
//   - an OS write lock on one byte of the .mdb far beyond its end, which a second Velmora, or
//     anything probing the file, sees;
//   - the .ldb lock file beside the database, as the Jet engine keeps it: 64-byte records of
//     [computer name: 32][user name: 32], zero-padded, and a 1-byte "user lock" at
//     0x10000001 + n on the .ldb for the holder of record n.
// Before taking them it probes for other holders: any lock on the .mdb (on Windows: any in
// the extended ranges from 0x10000000, where Jet puts its own), or any user lock in
// the .ldb range 0x10000001..0x100000FF, means another program uses the file, and the
// database must be opened read-only. A .ldb without live locks is stale and is reused.
// On release the .ldb is removed when no other user lock remains.
#pragma once

#include <memory>
#include <string>

#include "engine/base/status.h"
#include "engine/io/locking_file.h"

namespace velmora::engine::io {

class DatabaseLock {
public:
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // "name.mdb" -> "name.ldb" (any extension is replaced; none: ".ldb" appended).
    static std::string lockFilePath(const std::string& databasePath);

    // Takes both locks. Fails with 3045 (in use, naming who holds it where known) or 3051
    // (the file or its folder cannot be written); nothing is left behind on failure.
    static Result<std::unique_ptr<DatabaseLock>> acquire(const std::string& databasePath,
                                                         const std::string& userName = "Admin");

    // Which record of the .ldb is ours.
    int slot() const { return m_slot; }

private:
    DatabaseLock() = default;

    std::unique_ptr<LockingFile> m_mdb;
    std::unique_ptr<LockingFile> m_ldb;
    int m_slot = -1;
};

}  // namespace velmora::engine::io
