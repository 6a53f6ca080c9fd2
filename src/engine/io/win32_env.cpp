// The real file system behind Env on Windows: wide-character paths (the engine's are UTF-8),
// positional reads and writes through OVERLAPPED offsets, FlushFileBuffers as every sync point
// of the commit protocol, and MoveFileExW for the atomic replacement of a file.
#include <algorithm>
#include <atomic>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/io/win32_support.h"

namespace velmora::engine::io {
namespace {

using win32::fileError;
using win32::widen;

// ReadFile and WriteFile count in DWORDs; larger transfers go in pieces.
constexpr size_t kLargestTransfer = size_t(1) << 30;

OVERLAPPED at(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(offset);
    o.OffsetHigh = DWORD(offset >> 32);
    return o;
}

// Other programs (the receiver program, another Jet client) keep the database open while we
// have it: every handle lets them read, write and rename or remove it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos)
        return ".";
    return path.substr(0, cut == 0 ? 1 : cut);
}

class Win32File final : public File {
public:
    Win32File(HANDLE handle, std::string path) : m_handle(handle), m_path(std::move(path)) {}
    ~Win32File() override { CloseHandle(m_handle); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    Status read(uint64_t offset, std::span<uint8_t> out) override {
        size_t done = 0;
        while (done < out.size()) {
            OVERLAPPED o = at(offset + done);
            DWORD n = 0;
            const DWORD want = DWORD(std::min(out.size() - done, kLargestTransfer));
            if (ReadFile(m_handle, out.data() + done, want, &n, &o) == 0) {
                const DWORD e = GetLastError();
                if (e != ERROR_HANDLE_EOF)
                    return fileError("cannot read", m_path, e);
                n = 0;
            }
            if (n == 0) {
                return Status::error(err::kNotADatabase, "unexpected end of file '" + m_path +
                                                             "' at byte " +
                                                             std::to_string(offset + done));
            }
            done += n;
        }
        return Status::ok();
    }

    Status write(uint64_t offset, std::span<const uint8_t> data) override {
        size_t done = 0;
        while (done < data.size()) {
            OVERLAPPED o = at(offset + done);
            DWORD n = 0;
            const DWORD want = DWORD(std::min(data.size() - done, kLargestTransfer));
            if (WriteFile(m_handle, data.data() + done, want, &n, &o) == 0)
                return fileError("cannot write", m_path, GetLastError());
            if (n == 0)
                return Status::error(err::kDiskIo,
                                     "cannot write '" + m_path + "': nothing written");
            done += n;
        }
        return Status::ok();
    }

    Status sync() override {
        if (FlushFileBuffers(m_handle) == 0)
            return fileError("cannot sync", m_path, GetLastError());
        return Status::ok();
    }

    Status truncate(uint64_t size) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = LONGLONG(size);
        if (SetFileInformationByHandle(m_handle, FileEndOfFileInfo, &end, sizeof end) == 0)
            return fileError("cannot truncate", m_path, GetLastError());
        return Status::ok();
    }

    Result<uint64_t> size() override {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(m_handle, &size) == 0)
            return fileError("cannot stat", m_path, GetLastError());
        return uint64_t(size.QuadPart);
    }

private:
    HANDLE m_handle;
    std::string m_path;
};

class Win32Env final : public Env {
public:
    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode) override {
        DWORD access = GENERIC_READ | GENERIC_WRITE;
        DWORD disposition = OPEN_EXISTING;
        switch (mode) {
            case OpenMode::ReadOnly:
                access = GENERIC_READ;
                break;
            case OpenMode::ReadWrite:
                break;
            case OpenMode::CreateNew:
                disposition = CREATE_NEW;
                break;
            case OpenMode::CreateOrTrunc:
                disposition = CREATE_ALWAYS;
                break;
        }
        const std::wstring wide = widen(path);
        HANDLE h = CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD e = GetLastError();
            // Windows refuses to open a folder as a file with "access denied".
            const DWORD attributes = GetFileAttributesW(wide.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return Status::error(err::kNotADatabase, "'" + path + "' is a folder");
            return fileError("cannot open", path, e);
        }
        return std::unique_ptr<File>(std::make_unique<Win32File>(h, path));
    }

    bool exists(const std::string& path) override {
        return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    Status remove(const std::string& path) override {
        if (DeleteFileW(widen(path).c_str()) == 0)
            return fileError("cannot remove", path, GetLastError());
        return Status::ok();
    }

    Status rename(const std::string& from, const std::string& to) override {
        // Write-through: the call returns once the new name is on the disk.
        if (MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
            return fileError("cannot rename", from, GetLastError());
        return Status::ok();
    }

    // Windows has no call that makes a folder's entries durable: FlushFileBuffers takes a file
    // (or a whole volume, for administrators only), and a folder cannot be opened for it. NTFS
    // keeps every change to a folder's entries in its metadata log, which FlushFileBuffers of a
    // file commits up to that file's own changes, so a synced journal's entry is on the disk
    // with it, and rename() writes through. What no call here can force is the removal of the
    // journal: until NTFS writes its log (within seconds), a power cut brings it back, disarmed
    // or holding a commit the synced file holds whole, and the next open removes it.
    Status syncFolderOf(const std::string&) override { return Status::ok(); }

    // A hidden file under a fresh name beside the database, deleted by the system when its
    // handle closes, also when the process is killed; no other handle may open it. Only a
    // power cut can leave it behind, under a name no open reads. Not the system's temporary
    // folder: the database's folder is known to be writable, and on the database's disk.
    Result<std::unique_ptr<File>> openScratch(const std::string& beside) override {
        static std::atomic<unsigned> made{0};
        for (int attempt = 0;; ++attempt) {
            const std::string path = beside + "-scratch-" + std::to_string(GetCurrentProcessId()) +
                                     "-" + std::to_string(made++);
            HANDLE h = CreateFileW(
                widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                nullptr);
            if (h != INVALID_HANDLE_VALUE)
                return std::unique_ptr<File>(std::make_unique<Win32File>(h, path));
            const DWORD e = GetLastError();
            if ((e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) || attempt == 8)
                return fileError("cannot make the scratch file", path, e);
        }
    }

    bool isWritable(const std::string& path) override {
        const std::wstring wide = widen(path);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
            return false;
        // Windows answers for its access rules only when asked to open: for writing the file,
        // and for adding files (the journal, the lock file) to its folder. A file another
        // program keeps from writers is writable as far as rights go: the database lock tells
        // the user that it is in use.
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_SHARING_VIOLATION)
                return false;
        } else {
            CloseHandle(file);
        }
        HANDLE folder = CreateFileW(widen(folderOf(path)).c_str(), FILE_ADD_FILE, kShareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (folder == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(folder);
        return true;
    }
};

}  // namespace

Env& Env::real() {
    static Win32Env env;
    return env;
}

}  // namespace velmora::engine::io
