// The rollback journal; see journal.h.
#include "engine/io/journal.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/io/file_bytes.h"
#include "engine/io/page_digest.h"

namespace velmora::engine::io {
namespace {

// "VLMJRNL4" and "VLMJRNL3" journals are checked with quickPageHash() of page_digest.h, which
// takes a page's 64-bit words; journals a program of before left are still rolled back:
// "VLMJRNL3", without the new images' list, "VLMJRNL2", checked with pageHash(), whose byte
// lanes cost about as much as writing a whole-table journal, and "VLMJRNL1", checked with
// FNV-1a over every byte.
constexpr char kMagicV1[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '1'};
constexpr char kMagicV2[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '2'};
constexpr char kMagicV3[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '3'};
constexpr char kMagic[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '4'};
constexpr size_t kHeaderSizeV3 = 8 + 4 + 4 + 8;
constexpr size_t kHeaderSize = kHeaderSizeV3 + 8 + 4;
// The header hashes as a page of a number no page has, the new images' list as another.
constexpr uint32_t kHeaderNumber = 0xFFFFFFFFu;
constexpr uint32_t kAfterListNumber = 0xFFFFFFFEu;
constexpr size_t kAfterEntry = 4 + 8;
// Jet pages are 2 or 4 KiB; a journal's pages are the database's.
constexpr uint32_t kMaxPageSize = 64 * 1024;

// FNV-1a over `data`: the checksum of a VLMJRNL1 journal.
uint64_t fnv1a(Bytes data) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : data) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

// The checksum of a journal so far, with one more page entry: it depends on every entry and on
// their order. `hash` is the layout's: pageHash() for VLMJRNL2, quickPageHash() after.
uint64_t withEntry(uint64_t checksum, uint32_t number, Bytes page, PageHash hash = quickPageHash) {
    return checksum * 0x9E3779B97F4A7C15ull + hash(number, page);
}

// Where the parts of a complete journal lie.
struct Layout {
    uint32_t pageSize = 0;
    uint32_t count = 0;       // old images
    uint64_t oldSize = 0;     // of the database before the commit
    size_t imagesAt = 0;      // the first old image's entry
    bool knowsAfter = false;  // VLMJRNL4: the size after and the new images' list follow
    uint64_t newSize = 0;
    uint32_t afterCount = 0;
    size_t afterAt = 0;
};

// The layout of `journal` when it is complete: of a known version, of the length its header
// gives, its checksum matching.
std::optional<Layout> completeJournal(Bytes journal) {
    if (journal.size() < kHeaderSizeV3 + 8)
        return std::nullopt;
    const bool v1 = std::memcmp(journal.data(), kMagicV1, 8) == 0;
    const bool v2 = std::memcmp(journal.data(), kMagicV2, 8) == 0;
    const bool v3 = std::memcmp(journal.data(), kMagicV3, 8) == 0;
    const bool v4 = std::memcmp(journal.data(), kMagic, 8) == 0;
    if (!v1 && !v2 && !v3 && !v4)
        return std::nullopt;
    if (v4 && journal.size() < kHeaderSize + 8)
        return std::nullopt;
    Layout at;
    at.pageSize = getU32(journal, 8);
    at.count = getU32(journal, 12);
    at.oldSize = getU64(journal, 16);
    at.imagesAt = v4 ? kHeaderSize : kHeaderSizeV3;
    const size_t entry = 4 + size_t(at.pageSize);
    if (v4)
        at.afterCount = getU32(journal, 32);
    // Counts no journal of this length can hold are not a journal's: nor could the length
    // computed from them wrap around to match.
    if (at.pageSize == 0 || at.pageSize > kMaxPageSize ||
        uint64_t(at.count) * entry > journal.size() ||
        uint64_t(at.afterCount) * kAfterEntry > journal.size())
        return std::nullopt;
    at.afterAt = at.imagesAt + size_t(at.count) * entry;
    if (v4) {
        at.knowsAfter = true;
        at.newSize = getU64(journal, 24);
    }
    const size_t expected = at.afterAt + size_t(at.afterCount) * kAfterEntry + 8;
    if (journal.size() != expected)
        return std::nullopt;
    const uint64_t stored = getU64(journal, expected - 8);
    if (v1)
        return stored == fnv1a(journal.first(expected - 8)) ? std::optional(at) : std::nullopt;
    const PageHash hash = v2 ? pageHash : quickPageHash;
    uint64_t checksum = hash(kHeaderNumber, journal.first(at.imagesAt));
    for (size_t pos = at.imagesAt; pos < at.afterAt; pos += entry)
        checksum =
            withEntry(checksum, getU32(journal, pos), journal.subspan(pos + 4, at.pageSize), hash);
    if (v4)
        checksum = withEntry(checksum, kAfterListNumber,
                             journal.subspan(at.afterAt, size_t(at.afterCount) * kAfterEntry));
    return stored == checksum ? std::optional(at) : std::nullopt;
}

// Whether `database` holds the commit of a complete journal whole: its size after, and every
// page written with the bytes of its new image. Never for a journal that does not know them.
Result<bool> commitWholeIn(Bytes journal, const Layout& at, File& database) {
    if (!at.knowsAfter || at.afterCount == 0)
        return false;
    VELMORA_ASSIGN_OR_RETURN(const uint64_t size, database.size());
    if (size != at.newSize)
        return false;
    std::vector<uint8_t> page(at.pageSize);
    for (uint32_t k = 0; k < at.afterCount; ++k) {
        const size_t pos = at.afterAt + size_t(k) * kAfterEntry;
        const uint32_t number = getU32(journal, pos);
        if ((uint64_t(number) + 1) * at.pageSize > size)
            return false;
        VELMORA_RETURN_IF_ERROR(database.read(uint64_t(number) * at.pageSize, page));
        if (quickPageHash(number, page) != getU64(journal, pos + 4))
            return false;
    }
    return true;
}

}  // namespace

std::string RollbackJournal::pathFor(const std::string& databasePath) {
    return databasePath + "-journal";
}

Status RollbackJournal::write(Env& env, const std::string& journalPath, uint32_t pageSize,
                              uint64_t oldFileSize, const std::vector<JournalPage>& pages,
                              const FileAfterCommit& after) {
    for (const JournalPage& p : pages) {
        if (p.bytes.size() != pageSize)
            return Status::error(err::kInvalidArgument, "journal page of the wrong size");
    }
    return write(
        env, journalPath, pageSize, oldFileSize, pages.size(),
        [&](size_t k, uint32_t& number, MutableBytes bytes) {
            number = pages[k].number;
            std::memcpy(bytes.data(), pages[k].bytes.data(), pageSize);
            return Status::ok();
        },
        Place::New, after);
}

Status RollbackJournal::write(Env& env, const std::string& journalPath, uint32_t pageSize,
                              uint64_t oldFileSize, size_t count, const PageSource& source,
                              Place place, const FileAfterCommit& after) {
    // A disarmed journal that is gone after all (removed by hand) is made anew.
    const bool over = place == Place::OverDisarmed && env.exists(journalPath);
    VELMORA_ASSIGN_OR_RETURN(
        auto file, env.open(journalPath, over ? OpenMode::ReadWrite : OpenMode::CreateOrTrunc));
    const size_t entry = 4 + size_t(pageSize);
    // A journal of up to kPagesPerWrite pages goes in one write, header, new images' list and
    // checksum included.
    std::vector<uint8_t> buf(kHeaderSize + std::min(count, kPagesPerWrite) * entry);
    MutableBytes b(buf);
    std::memcpy(buf.data(), kMagic, 8);
    putU32(b, 8, pageSize);
    putU32(b, 12, uint32_t(count));
    putU64(b, 16, oldFileSize);
    putU64(b, 24, after.size);
    putU32(b, 32, uint32_t(after.pages.size()));
    uint64_t checksum = quickPageHash(kHeaderNumber, Bytes(buf.data(), kHeaderSize));
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
        checksum = withEntry(checksum, number, Bytes(buf.data() + pos + 4, pageSize));
        pos += entry;
    }
    // Invariant 2 of the commit (jet_database.h): the checksum covers every entry in order, so
    // a journal cut short or torn anywhere is never played back; the journal and its folder
    // entry are synced before the caller touches the database.
    std::vector<uint8_t> tail(after.pages.size() * kAfterEntry + 8);
    MutableBytes t(tail);
    for (size_t k = 0; k < after.pages.size(); ++k) {
        putU32(t, k * kAfterEntry, after.pages[k].number);
        putU64(t, k * kAfterEntry + 4, after.pages[k].hash);
    }
    checksum = withEntry(checksum, kAfterListNumber, t.first(tail.size() - 8));
    putU64(t, tail.size() - 8, checksum);
    buf.resize(pos);
    buf.insert(buf.end(), tail.begin(), tail.end());
    VELMORA_RETURN_IF_ERROR(file->write(at, buf));
    const uint64_t length = at + buf.size();
    if (over) {
        // A journal plays back only at its exact length: what a longer one before left behind
        // the new end goes, in the same sync.
        VELMORA_ASSIGN_OR_RETURN(const uint64_t size, file->size());
        if (size > length)
            VELMORA_RETURN_IF_ERROR(file->truncate(length));
    }
    VELMORA_RETURN_IF_ERROR(file->sync());
    // Over a disarmed journal no folder entry changed: its own was synced when it was made.
    return over ? Status::ok() : env.syncFolderOf(journalPath);
}

Status RollbackJournal::readPages(Env& env, const std::string& journalPath,
                                  const PageVisitor& visit) {
    VELMORA_ASSIGN_OR_RETURN(auto file, env.open(journalPath, OpenMode::ReadOnly));
    VELMORA_ASSIGN_OR_RETURN(const uint64_t size, file->size());
    std::vector<uint8_t> header(kHeaderSize);
    if (size >= kHeaderSize)
        VELMORA_RETURN_IF_ERROR(file->read(0, header));
    const uint32_t pageSize = getU32(header, 8);
    const uint32_t count = getU32(header, 12);
    const uint32_t afterCount = getU32(header, 32);
    const size_t entry = 4 + size_t(pageSize);
    if (size < kHeaderSize || std::memcmp(header.data(), kMagic, 8) != 0 || pageSize == 0 ||
        size != kHeaderSize + uint64_t(count) * entry + uint64_t(afterCount) * kAfterEntry + 8)
        return Status::error(err::kNotADatabase, "the journal '" + journalPath + "' is damaged");
    std::vector<uint8_t> piece;
    for (uint32_t k = 0; k < count;) {
        const uint32_t n = uint32_t(std::min<size_t>(count - k, kPagesPerWrite));
        piece.resize(n * entry);
        VELMORA_RETURN_IF_ERROR(file->read(kHeaderSize + uint64_t(k) * entry, piece));
        for (uint32_t i = 0; i < n; ++i) {
            const Bytes at = Bytes(piece).subspan(i * entry, entry);
            VELMORA_RETURN_IF_ERROR(visit(getU32(at, 0), at.subspan(4)));
        }
        k += n;
    }
    return Status::ok();
}

Result<bool> RollbackJournal::playsBack(Env& env, const std::string& journalPath, File& database) {
    if (!env.exists(journalPath))
        return false;
    VELMORA_ASSIGN_OR_RETURN(const std::vector<uint8_t> journal, readWholeFile(env, journalPath));
    const std::optional<Layout> at = completeJournal(journal);
    if (!at)
        return false;
    VELMORA_ASSIGN_OR_RETURN(const bool whole, commitWholeIn(journal, *at, database));
    return !whole;
}

Result<bool> RollbackJournal::recover(Env& env, const std::string& journalPath, File& database,
                                      Rollback when) {
    if (!env.exists(journalPath))
        return false;
    VELMORA_ASSIGN_OR_RETURN(const std::vector<uint8_t> buf, readWholeFile(env, journalPath));
    Bytes b(buf);
    const std::optional<Layout> at = completeJournal(b);
    bool playBack = at.has_value();
    if (playBack && when == Rollback::UnlessCommitWhole) {
        VELMORA_ASSIGN_OR_RETURN(const bool whole, commitWholeIn(b, *at, database));
        playBack = !whole;
    }
    if (playBack) {
        size_t pos = at->imagesAt;
        for (uint32_t i = 0; i < at->count; ++i) {
            uint32_t page = getU32(b, pos);
            VELMORA_RETURN_IF_ERROR(
                database.write(uint64_t(page) * at->pageSize, b.subspan(pos + 4, at->pageSize)));
            pos += 4 + at->pageSize;
        }
        VELMORA_RETURN_IF_ERROR(database.truncate(at->oldSize));
        VELMORA_RETURN_IF_ERROR(database.sync());
    }
    VELMORA_RETURN_IF_ERROR(remove(env, journalPath));
    return playBack;
}

Status RollbackJournal::disarm(Env& env, const std::string& journalPath) {
    VELMORA_ASSIGN_OR_RETURN(auto file, env.open(journalPath, OpenMode::ReadWrite));
    // The header lies in the journal's first sector: a cut before the zeros reach the disk
    // leaves it whole, zeros, or a torn or garbage sector. Whole, the journal finds its commit
    // whole in the file (it was synced before); the others are not a journal at all.
    const std::vector<uint8_t> zeros(kHeaderSize, 0);
    return file->write(0, zeros);
}
Status RollbackJournal::removeDisarmed(Env& env, const std::string& journalPath) {
    {
        VELMORA_ASSIGN_OR_RETURN(auto file, env.open(journalPath, OpenMode::ReadOnly));
        std::vector<uint8_t> header(kHeaderSize, 0);
        VELMORA_ASSIGN_OR_RETURN(const uint64_t size, file->size());
        if (size >= kHeaderSize)
            VELMORA_RETURN_IF_ERROR(file->read(0, header));
        if (std::any_of(header.begin(), header.end(), [](uint8_t b) { return b != 0; }))
            return Status::ok();
    }
    return env.remove(journalPath);
}

Status RollbackJournal::remove(Env& env, const std::string& journalPath) {
    VELMORA_RETURN_IF_ERROR(env.remove(journalPath));
    return env.syncFolderOf(journalPath);
}

}  // namespace velmora::engine::io
