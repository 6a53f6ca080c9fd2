// LockingFile on Windows: LockFileEx byte-range locks; see locking_file.h.
#include <limits>

#include "engine/base/error_codes.h"
#include "engine/io/locking_file.h"
#include "engine/io/win32_support.h"

namespace velmora::engine::io {
namespace {

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED at(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(offset);
    o.OffsetHigh = DWORD(offset >> 32);
    return o;
}

// Windows refuses lock ranges that reach past the largest signed 64-bit offset.
constexpr uint64_t kLargestOffset = uint64_t(std::numeric_limits<int64_t>::max());

bool lockRange(HANDLE h, uint64_t start, uint64_t length) {
    OVERLAPPED o = at(start);
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, DWORD(length),
                      DWORD(length >> 32), &o) != 0;
}

void unlockRange(HANDLE h, uint64_t start, uint64_t length) {
    OVERLAPPED o = at(start);
    UnlockFileEx(h, 0, DWORD(length), DWORD(length >> 32), &o);
}

}  // namespace

Result<std::unique_ptr<LockingFile>> LockingFile::open(const std::string& path, Open how) {
    const std::wstring wide = win32::widen(path);
    // A file marked read-only is refused as Windows refuses it to any other user; asked
    // first, because a process with the rights to write anything (Wine run as root) would be
    // let in by CreateFileW.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return Status::error(err::kNotPermitted, "Cannot open '" + path + "': it is read-only");
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           how == Open::CreateIfMissing ? OPEN_ALWAYS : OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Status failed = win32::fileError("Cannot open", path, GetLastError());
        // Whatever keeps the file from being opened for writing, short of another program
        // keeping it to itself, means we may not write it.
        if (failed.code() == err::kFileLocked)
            return failed;
        return Status::error(err::kNotPermitted, failed.message());
    }
    return std::unique_ptr<LockingFile>(new LockingFile(reinterpret_cast<std::intptr_t>(h), path));
}

LockingFile::~LockingFile() {
    CloseHandle(handleOf(m_handle));
}

bool LockingFile::lockedByOthers(uint64_t start, uint64_t length) {
    if (start >= kLargestOffset)
        return false;
    if (length == 0 || length > kLargestOffset - start)
        length = kLargestOffset - start;
    // Windows cannot ask who holds a lock; taking the whole range and giving it back at once
    // tells whether anybody does. A failure of any kind counts as held: the caller then keeps
    // away from the file rather than write beside someone.
    if (!lockRange(handleOf(m_handle), start, length))
        return true;
    unlockRange(handleOf(m_handle), start, length);
    return false;
}

bool LockingFile::tryLock(uint64_t offset) {
    return lockRange(handleOf(m_handle), offset, 1);
}

void LockingFile::unlock(uint64_t offset) {
    unlockRange(handleOf(m_handle), offset, 1);
}

bool LockingFile::readAt(uint64_t offset, std::span<char> out) {
    OVERLAPPED o = at(offset);
    DWORD done = 0;
    return ReadFile(handleOf(m_handle), out.data(), DWORD(out.size()), &done, &o) != 0 &&
           done == out.size();
}

Status LockingFile::writeAt(uint64_t offset, std::span<const char> data) {
    OVERLAPPED o = at(offset);
    DWORD done = 0;
    if (WriteFile(handleOf(m_handle), data.data(), DWORD(data.size()), &done, &o) == 0)
        return win32::fileError("Cannot write", m_path, GetLastError());
    if (done != data.size())
        return Status::error(err::kDiskIo, "Cannot write '" + m_path + "': short write");
    return Status::ok();
}

std::string computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &length) == 0)
        return {};
    return win32::narrow(std::wstring_view(name, length));
}

}  // namespace velmora::engine::io
