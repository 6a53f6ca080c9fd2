// The rollback journal; see journal.h.
#include "engine/io/journal.h"

#include <cstring>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"

namespace velmora::engine::io {
namespace {

constexpr char kMagic[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '1'};
constexpr size_t kHeaderSize = 8 + 4 + 4 + 8;

uint64_t fnv1a(Bytes data) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : data) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

std::string RollbackJournal::pathFor(const std::string& databasePath) {
    return databasePath + "-journal";
}

Status RollbackJournal::write(Env& env, const std::string& journalPath, uint32_t pageSize,
                              uint64_t oldFileSize, const std::vector<JournalPage>& pages) {
    std::vector<uint8_t> buf(kHeaderSize + pages.size() * (4 + size_t(pageSize)) + 8);
    MutableBytes b(buf);
    std::memcpy(buf.data(), kMagic, 8);
    putU32(b, 8, pageSize);
    putU32(b, 12, uint32_t(pages.size()));
    putU64(b, 16, oldFileSize);
    size_t pos = kHeaderSize;
    for (const JournalPage& p : pages) {
        if (p.bytes.size() != pageSize)
            return Status::error(err::kInvalidArgument, "journal page of the wrong size");
        putU32(b, pos, p.number);
        std::memcpy(buf.data() + pos + 4, p.bytes.data(), pageSize);
        pos += 4 + pageSize;
    }
    putU64(b, pos, fnv1a(Bytes(buf.data(), pos)));
    VELMORA_ASSIGN_OR_RETURN(auto file, env.open(journalPath, OpenMode::CreateOrTrunc));
    VELMORA_RETURN_IF_ERROR(file->write(0, buf));
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
