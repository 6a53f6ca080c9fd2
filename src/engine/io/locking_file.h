// A file opened for the database lock (database_lock.h): a few bytes read and written at a
// position, and the operating system's byte-range locks on it, which other processes and other
// open handles in this one see. Locks are exclusive, one byte each, taken without waiting, and
// go with the handle when it closes.
//
// POSIX: open-file-description (fcntl F_OFD_*) locks, which see the traditional fcntl locks of
// other processes too (Wine's, for the Windows programs it runs). Windows: LockFileEx, whose
// locks are mandatory: while a byte is locked nobody else may read or write it, so locks
// belong far beyond the end of the data.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/base/status.h"

namespace velmora::engine::io {

class LockingFile {
public:
    enum class Open { Existing, CreateIfMissing };

    // Opens `path` for reading and writing. Fails with 3051 when it may not be written (or
    // created), with 3045 when another program opened it so that nobody else may write it.
    static Result<std::unique_ptr<LockingFile>> open(const std::string& path, Open how);

    ~LockingFile();
    LockingFile(const LockingFile&) = delete;
    LockingFile& operator=(const LockingFile&) = delete;

    // Whether another handle or process holds a lock on a byte of [start, start + length);
    // length 0 reaches to the largest offset. Probe only where this handle holds no lock:
    // Windows counts the handle's own locks as well, POSIX does not.
    bool lockedByOthers(uint64_t start, uint64_t length);
    // Locks the byte at `offset`; false when someone else holds it.
    bool tryLock(uint64_t offset);
    void unlock(uint64_t offset);

    // Reads all of the bytes at `offset`; false on a short read or any failure.
    bool readAt(uint64_t offset, std::span<char> out);
    // Writes all of the bytes at `offset`; 3043 with the system's reason on failure.
    Status writeAt(uint64_t offset, std::span<const char> data);

    const std::string& path() const { return m_path; }

private:
    LockingFile(std::intptr_t handle, std::string path)
        : m_handle(handle), m_path(std::move(path)) {}

    std::intptr_t m_handle;  // the file descriptor, or the Windows HANDLE
    std::string m_path;
};

// This computer's name, as the lock file's records carry it; empty when the system has none.
std::string computerName();

}  // namespace velmora::engine::io
