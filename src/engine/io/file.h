// The file interface every byte of the engine goes through, and the environment that opens,
// renames and removes files. Keeping all I/O behind these two small interfaces lets tests
// swap in an in-memory file system or one that fails the Nth write or sync, or forgets what
// was not synced, to prove the commit protocol survives a crash at any point.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "engine/base/status.h"

namespace velmora::engine::io {

class File {
public:
    virtual ~File() = default;

    // Reads exactly out.size() bytes at offset; a read past the end is an error (3049 with
    // the offset named), never a short read.
    virtual Status read(uint64_t offset, std::span<uint8_t> out) = 0;
    // Writes data at offset, growing the file when needed.
    virtual Status write(uint64_t offset, std::span<const uint8_t> data) = 0;
    // Makes every earlier write durable.
    virtual Status sync() = 0;
    virtual Status truncate(uint64_t size) = 0;
    virtual Result<uint64_t> size() = 0;
};

enum class OpenMode {
    ReadOnly,      // the file must exist
    ReadWrite,     // the file must exist
    CreateNew,     // the file must not exist; opened read-write
    CreateOrTrunc  // created or emptied; opened read-write
};

class Env {
public:
    virtual ~Env() = default;

    virtual Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual Status remove(const std::string& path) = 0;
    // Atomically replaces `to` with `from`.
    virtual Status rename(const std::string& from, const std::string& to) = 0;
    // Makes the creation, removal or renaming of entries in the folder of `path` durable.
    virtual Status syncFolderOf(const std::string& path) = 0;
    // Whether the process may write the file (and create files beside it).
    virtual bool isWritable(const std::string& path) = 0;
    // A file of scratch space for this process alone, in the folder of `beside`: it has no
    // name another program (or a later open) could find, and it is gone once its handle is
    // closed or the process ends, however it ends. Nothing it holds is ever synced.
    virtual Result<std::unique_ptr<File>> openScratch(const std::string& beside) = 0;

    // The time the writer stamps into a file (a new file's creation date, the catalog dates
    // of tables it creates): the real time, unless fixTime() set one. Tests that compare whole
    // files fix it, so that writing the same change twice gives the same bytes even when a
    // second boundary falls between the two.
    std::time_t now() const { return m_fixedTime ? *m_fixedTime : std::time(nullptr); }
    void fixTime(std::time_t t) { m_fixedTime = t; }

    // The real file system: POSIX calls (posix_env.cpp) or Win32 ones (win32_env.cpp), as
    // the build's platform has them.
    static Env& real();

private:
    std::optional<std::time_t> m_fixedTime;
};

}  // namespace velmora::engine::io
