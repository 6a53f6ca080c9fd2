// The rollback journal; see journal.h.
#include "engine/io/journal.h"

#include <algorithm>
#include <cstring>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"

namespace velmora::engine::io {
namespace {

constexpr char kMagic[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '1'};
constexpr size_t kHeaderSize = 8 + 4 + 4 + 8;

constexpr uint64_t kFnvStart = 1469598103934665603ull;

// FNV-1a, continued from `h` (kFnvStart for a fresh one).
uint64_t fnv1a(Bytes data, uint64_t h = kFnvStart) {
    for (uint8_t b : data) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

// Pages a journal takes in one write.
constexpr size_t kPagesPerWrite = 64;

}  // namespace

std::string RollbackJournal::pathFor(const std::string& databasePath) {
    return databasePath + "-journal";
}

Status RollbackJournal::write(Env& env, const std::string& journalPath, uint32_t pageSize,
                              uint64_t oldFileSize, const std::vector<JournalPage>& pages) {
    for (const JournalPage& p : pages) {
        if (p.bytes.size() != pageSize)
            return Status::error(err::kInvalidArgument, "journal page of the wrong size");
    }
    return write(env, journalPath, pageSize, oldFileSize, pages.size(),
                 [&](size_t k, uint32_t& number, MutableBytes bytes) {
                     number = pages[k].number;
                     std::memcpy(bytes.data(), pages[k].bytes.data(), pageSize);
                     return Status::ok();
                 });
}

Status RollbackJournal::write(Env& env, const std::string& journalPath, uint32_t pageSize,
                              uint64_t oldFileSize, size_t count, const PageSource& source) {
    VELMORA_ASSIGN_OR_RETURN(auto file, env.open(journalPath, OpenMode::CreateOrTrunc));
    const size_t entry = 4 + size_t(pageSize);
    // A journal of up to kPagesPerWrite pages goes in one write, header and checksum included.
    std::vector<uint8_t> buf(kHeaderSize + std::min(count, kPagesPerWrite) * entry + 8);
    MutableBytes b(buf);
    std::memcpy(buf.data(), kMagic, 8);
    putU32(b, 8, pageSize);
    putU32(b, 12, uint32_t(count));
    putU64(b, 16, oldFileSize);
    uint64_t checksum = fnv1a(Bytes(buf.data(), kHeaderSize));
    uint64_t at = 0;
    size_t pos = kHeaderSize;
    for (size_t k = 0; k < count; ++k) {
        if (pos + entry > buf.size()) {
            VELMORA_RETURN_IF_ERROR(file->write(at, Bytes(buf.data(), pos)));
            at += pos;
            pos = 0;
        }
        uint32_t number = 0;
        VELMORA_RETURN_IF_ERROR(source(k, number, b.subspan(pos + 4, pageSize)));
        putU32(b, pos, number);
        checksum = fnv1a(Bytes(buf.data() + pos, entry), checksum);
        pos += entry;
    }
    if (pos + 8 > buf.size()) {
        VELMORA_RETURN_IF_ERROR(file->write(at, Bytes(buf.data(), pos)));
        at += pos;
        pos = 0;
    }
    putU64(b, pos, checksum);
    VELMORA_RETURN_IF_ERROR(file->write(at, Bytes(buf.data(), pos + 8)));
    VELMORA_RETURN_IF_ERROR(file->sync());
    return env.syncFolderOf(journalPath);
}

Result<bool> RollbackJournal::recover(Env& env, const std::string& journalPath, File& database) {
    if (!env.exists(journalPath))
        return false;
    std::vector<uint8_t> buf;
    {
        VELMORA_ASSIGN_OR_RETURN(auto file, env.open(journalPath, OpenMode::ReadOnly));
        VELMORA_ASSIGN_OR_RETURN(uint64_t size, file->size());
        buf.resize(size_t(size));
        if (!buf.empty())
            VELMORA_RETURN_IF_ERROR(file->read(0, buf));
    }
    Bytes b(buf);
    bool complete = buf.size() >= kHeaderSize + 8 && std::memcmp(buf.data(), kMagic, 8) == 0;
    uint32_t pageSize = complete ? getU32(b, 8) : 0;
    uint32_t count = complete ? getU32(b, 12) : 0;
    size_t expected = kHeaderSize + size_t(count) * (4 + size_t(pageSize)) + 8;
    complete = complete && buf.size() == expected &&
               getU64(b, expected - 8) == fnv1a(Bytes(buf.data(), expected - 8));
    if (complete) {
        uint64_t oldSize = getU64(b, 16);
        size_t pos = kHeaderSize;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t page = getU32(b, pos);
            VELMORA_RETURN_IF_ERROR(
                database.write(uint64_t(page) * pageSize, b.subspan(pos + 4, pageSize)));
            pos += 4 + pageSize;
        }
        VELMORA_RETURN_IF_ERROR(database.truncate(oldSize));
        VELMORA_RETURN_IF_ERROR(database.sync());
    }
    VELMORA_RETURN_IF_ERROR(remove(env, journalPath));
    return complete;
}

Status RollbackJournal::remove(Env& env, const std::string& journalPath) {
    VELMORA_RETURN_IF_ERROR(env.remove(journalPath));
    return env.syncFolderOf(journalPath);
}

}  // namespace velmora::engine::io
