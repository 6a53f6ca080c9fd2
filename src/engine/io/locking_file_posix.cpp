// LockingFile on POSIX: open-file-description locks; see locking_file.h.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/base/error_codes.h"
#include "engine/io/locking_file.h"

namespace velmora::engine::io {
namespace {

int fdOf(std::intptr_t handle) {
    return int(handle);
}

bool lockCall(int fd, int command, short type, uint64_t start, uint64_t length) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(start);
    fl.l_len = off_t(length);
    return ::fcntl(fd, command, &fl) == 0 && (command != F_OFD_GETLK || fl.l_type != F_UNLCK);
}

}  // namespace

Result<std::unique_ptr<LockingFile>> LockingFile::open(const std::string& path, Open how) {
    int flags = O_RDWR | O_CLOEXEC | (how == Open::CreateIfMissing ? O_CREAT : 0);
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return Status::error(err::kNotPermitted,
                             "Cannot open '" + path + "' for writing: " + std::strerror(errno));
    }
    return std::unique_ptr<LockingFile>(new LockingFile(fd, path));
}

LockingFile::~LockingFile() {
    ::close(fdOf(m_handle));
}

bool LockingFile::lockedByOthers(uint64_t start, uint64_t length) {
    return lockCall(fdOf(m_handle), F_OFD_GETLK, F_WRLCK, start, length);
}

bool LockingFile::tryLock(uint64_t offset) {
    return lockCall(fdOf(m_handle), F_OFD_SETLK, F_WRLCK, offset, 1);
}

void LockingFile::unlock(uint64_t offset) {
    (void)lockCall(fdOf(m_handle), F_OFD_SETLK, F_UNLCK, offset, 1);
}

bool LockingFile::readAt(uint64_t offset, std::span<char> out) {
    return ::pread(fdOf(m_handle), out.data(), out.size(), off_t(offset)) == ssize_t(out.size());
}

Status LockingFile::writeAt(uint64_t offset, std::span<const char> data) {
    if (::pwrite(fdOf(m_handle), data.data(), data.size(), off_t(offset)) != ssize_t(data.size()))
        return Status::error(err::kDiskIo,
                             "Cannot write '" + m_path + "': " + std::strerror(errno));
    return Status::ok();
}

std::string computerName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0)
        return {};
    return host;
}

}  // namespace velmora::engine::io
