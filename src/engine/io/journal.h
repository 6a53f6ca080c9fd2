// The rollback journal: the old image of every page a commit is about to overwrite, kept in a
// file beside the database until the commit is complete.
//
// Layout (little-endian):
//   "VLMJRNL3"  magic (8 bytes)
//   u32 page size, u32 page count n, u64 size of the database file before the commit
//   n × [u32 page number][page bytes]
//   u64 checksum: c = quickPageHash(0xFFFFFFFF, header), then per entry
//       c = c * 0x9E3779B97F4A7C15 + quickPageHash(number, bytes) (page_digest.h)
// Journals of the earlier layouts are still rolled back: "VLMJRNL2", the same with pageHash(),
// and "VLMJRNL1" with FNV-1a over everything before the checksum.
// A journal whose checksum does not match was never completely written; since the database
// is only touched after the journal is durable, such a journal is simply discarded.
//
// A commit ends by disarming its journal: zeros over the header, synced, and the journal never
// plays back. The file stays beside the database, its folder entry durable, and the next
// commit of the same handle writes its journal over it in place: no folder entry is made or
// removed, so neither needs a folder sync. The handle removes it when it closes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::engine::io {

struct JournalPage {
    uint32_t number = 0;
    std::vector<uint8_t> bytes;  // one page
};

class RollbackJournal {
public:
    // "<database>-journal".
    static std::string pathFor(const std::string& databasePath);

    // Writes the journal and makes it durable (file data and its folder entry).
    static Status write(Env& env, const std::string& journalPath, uint32_t pageSize,
                        uint64_t oldFileSize, const std::vector<JournalPage>& pages);

    // How a journal is written: a file made anew, whose folder entry is synced with it, or over
    // a disarmed journal the caller made and synced the folder entry of itself; that one is
    // written in place and cut to its new length, and only its data is synced.
    enum class Place { New, OverDisarmed };

    // Fills in the k-th page of a journal being written: its number, and its bytes into
    // `bytes` (one page long).
    using PageSource = std::function<Status(size_t k, uint32_t& number, MutableBytes bytes)>;
    // The same for `count` pages handed out one by one: the journal is written in pieces of
    // a few pages, so that the old images of a large commit are never all in memory at once.
    static Status write(Env& env, const std::string& journalPath, uint32_t pageSize,
                        uint64_t oldFileSize, size_t count, const PageSource& source,
                        Place place = Place::New);

    // Hands the pages of a journal of the current layout to `visit` in the order they were
    // written, read in pieces of a few pages: the commit gives its observer the old images
    // from the journal it just wrote, never holding them all in memory.
    using PageVisitor = std::function<Status(uint32_t number, Bytes bytes)>;
    static Status readPages(Env& env, const std::string& journalPath, const PageVisitor& visit);

    // Puts the journaled pages back into `database`, cuts it to its old size and syncs it.
    // Then removes the journal. Returns true when a rollback happened, false when there was
    // no journal or only an incomplete one (which is removed too).
    static Result<bool> recover(Env& env, const std::string& journalPath, File& database);

    // Zeros over the header of the journal, synced: from then on it never plays back. The
    // commit point of a commit; the file stays for the next commit to write over.
    static Status disarm(Env& env, const std::string& journalPath);

    // Removes the journal if it is a disarmed one, without a folder sync: it plays back nothing
    // whether the removal lasts or not. Any other journal stays.
    static Status removeDisarmed(Env& env, const std::string& journalPath);

    // Whether a complete journal lies at `journalPath`: one the next open plays back.
    static Result<bool> playsBack(Env& env, const std::string& journalPath);

    // Removes the journal durably.
    static Status remove(Env& env, const std::string& journalPath);
};

}  // namespace velmora::engine::io
