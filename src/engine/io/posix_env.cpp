// The real file system behind Env, on POSIX calls (pread/pwrite/fsync), so that every
// sync point of the commit protocol reaches the disk. A file's sync is fdatasync where there
// is one: it still makes a changed size durable, but not the times alone, which nothing reads
// back and which cost a metadata write per sync.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"

namespace velmora::engine::io {
namespace {

Status ioError(const std::string& what, const std::string& path) {
    int e = errno;
    int code = err::kDiskIo;
    if (e == ENOENT)
        code = err::kFileNotFound;
    if (e == EACCES || e == EPERM || e == EROFS)
        code = err::kNotPermitted;
    if (e == ENOSPC || e == EDQUOT)
        code = err::kDiskFull;
    return Status::error(code, what + " '" + path + "': " + std::strerror(e));
}

std::string folderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixFile() override { ::close(m_fd); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    Status read(uint64_t offset, std::span<uint8_t> out) override {
        size_t done = 0;
        while (done < out.size()) {
            ssize_t n = ::pread(m_fd, out.data() + done, out.size() - done, off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return ioError("cannot read", m_path);
            }
            if (n == 0) {
                return Status::error(err::kNotADatabase, "unexpected end of file '" + m_path +
                                                             "' at byte " +
                                                             std::to_string(offset + done));
            }
            done += size_t(n);
        }
        return Status::ok();
    }

    Status write(uint64_t offset, std::span<const uint8_t> data) override {
        size_t done = 0;
        while (done < data.size()) {
            ssize_t n =
                ::pwrite(m_fd, data.data() + done, data.size() - done, off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return ioError("cannot write", m_path);
            }
            done += size_t(n);
        }
        return Status::ok();
    }

    // The sync of invariants 2, 3 and 5 (jet_database.h): the bytes written and the file's size
    // are on the disk when it returns.
    Status sync() override {
#if defined(__linux__)
        if (::fdatasync(m_fd) != 0)
#else
        if (::fsync(m_fd) != 0)
#endif
            return ioError("cannot sync", m_path);
        return Status::ok();
    }

    Status truncate(uint64_t size) override {
        if (::ftruncate(m_fd, off_t(size)) != 0)
            return ioError("cannot truncate", m_path);
        return Status::ok();
    }

    Result<uint64_t> size() override {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            return ioError("cannot stat", m_path);
        return uint64_t(st.st_size);
    }

private:
    int m_fd;
    std::string m_path;
};

class PosixEnv final : public Env {
public:
    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::ReadOnly:
                flags |= O_RDONLY;
                break;
            case OpenMode::ReadWrite:
                flags |= O_RDWR;
                break;
            case OpenMode::CreateNew:
                flags |= O_RDWR | O_CREAT | O_EXCL;
                break;
            case OpenMode::CreateOrTrunc:
                flags |= O_RDWR | O_CREAT | O_TRUNC;
                break;
        }
        int fd = ::open(path.c_str(), flags, 0644);
        if (fd < 0)
            return ioError("cannot open", path);
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return Status::error(err::kNotADatabase, "'" + path + "' is a folder");
        }
        return std::unique_ptr<File>(std::make_unique<PosixFile>(fd, path));
    }

    bool exists(const std::string& path) override { return ::access(path.c_str(), F_OK) == 0; }

    Status remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0)
            return ioError("cannot remove", path);
        return Status::ok();
    }

    Status rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return ioError("cannot rename", from);
        return Status::ok();
    }

    Status syncFolderOf(const std::string& path) override {
        const std::string folder = folderOf(path);
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return ioError("cannot open folder", folder);
        int rc = ::fsync(fd);
        ::close(fd);
        if (rc != 0)
            return ioError("cannot sync folder", folder);
        return Status::ok();
    }

    // Linux makes a file with no name in the folder (O_TMPFILE); elsewhere, or on a file
    // system without that, a file is made under a fresh name beside the database and its name
    // removed at once, so a crash can leave it behind only in that instant, under a name no
    // open reads.
    Result<std::unique_ptr<File>> openScratch(const std::string& beside) override {
        const std::string what = beside + " (scratch)";
        int fd = -1;
#if defined(O_TMPFILE)
        fd = ::open(folderOf(beside).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0)
            return std::unique_ptr<File>(std::make_unique<PosixFile>(fd, what));
#endif
        std::string name = beside + "-scratch-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return ioError("cannot make a scratch file beside", beside);
        auto file = std::make_unique<PosixFile>(fd, what);
        if (::unlink(name.c_str()) != 0)
            return ioError("cannot remove", name);
        return std::unique_ptr<File>(std::move(file));
    }

    bool isWritable(const std::string& path) override {
        const std::string folder = folderOf(path);
        if (::access(path.c_str(), W_OK) != 0 || ::access(folder.c_str(), W_OK) != 0)
            return false;
        // access() says yes to root for any file. A file its owner marked read-only (no
        // write bit for anyone) is meant to stay unchanged, whoever opens it.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return false;
        return true;
    }
};

}  // namespace

Env& Env::real() {
    static PosixEnv env;
    return env;
}

}  // namespace velmora::engine::io
