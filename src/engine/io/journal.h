// The rollback journal: the old image of every page a commit is about to overwrite, kept in a
// file beside the database until the commit is complete.
//
// Layout (little-endian):
//   "VLMJRNL4"  magic (8 bytes)
//   u32 page size, u32 page count n, u64 size of the database file before the commit,
//   u64 its size after the commit, u32 count m of the pages the commit writes
//   n × [u32 page number][page bytes]          the old images
//   m × [u32 page number][u64 quickPageHash]   the new image of every page written
//   u64 checksum: c = quickPageHash(0xFFFFFFFF, header), then per old image
//       c = c * 0x9E3779B97F4A7C15 + quickPageHash(number, bytes) (page_digest.h), then the
//       same once for the new images' list, as the bytes of a page numbered 0xFFFFFFFE
// Journals of the earlier layouts, without the new images' list, are still rolled back:
// "VLMJRNL3" (the header without the size after and m), "VLMJRNL2", the same with pageHash(),
// and "VLMJRNL1" with FNV-1a over everything before the checksum.
// A journal whose checksum does not match was never completely written; since the database
// is only touched after the journal is durable, such a journal is simply discarded.
//
// A complete journal plays back unless the file already holds the commit whole: its size
// after, and every page written hashing to its new image. Once the file is synced the commit
// therefore holds, whatever becomes of the journal: that sync is the commit point. The commit
// then disarms its journal, zeros over the header, without a sync: a crash that loses the
// zeros leaves a journal the next open finds whole in the file and only removes. The file
// stays beside the database, its folder entry durable, and the next commit of the same handle
// writes its journal over it in place: no folder entry is made or removed, so neither needs a
// folder sync. The handle removes it when it closes.
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

// The file as a commit leaves it: its size, and the quickPageHash() of the new image of every
// page the commit writes. A journal without any such page always plays back.
struct FileAfterCommit {
    struct Page {
        uint32_t number = 0;
        uint64_t hash = 0;
    };
    uint64_t size = 0;
    std::vector<Page> pages;
};

class RollbackJournal {
public:
    // Pages a journal takes in one write, and reads back in one read.
    static constexpr size_t kPagesPerWrite = 16;

    // "<database>-journal".
    static std::string pathFor(const std::string& databasePath);

    // Writes the journal and makes it durable (file data and its folder entry).
    static Status write(Env& env, const std::string& journalPath, uint32_t pageSize,
                        uint64_t oldFileSize, const std::vector<JournalPage>& pages,
                        const FileAfterCommit& after = {});

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
                        Place place = Place::New, const FileAfterCommit& after = {});

    // Hands the pages of a journal of the current layout to `visit` in the order they were
    // written, read in pieces of a few pages: the commit gives its observer the old images
    // from the journal it just wrote, never holding them all in memory.
    using PageVisitor = std::function<Status(uint32_t number, Bytes bytes)>;
    static Status readPages(Env& env, const std::string& journalPath, const PageVisitor& visit);

    // Puts the journaled pages back into `database`, cuts it to its old size and syncs it.
    // Then removes the journal. Returns true when a rollback happened, false when there was
    // no journal, only an incomplete one, or one whose commit the file holds whole (each
    // removed too). A commit that failed rolls back `Always`: its file may hold every new
    // image without their having been synced.
    enum class Rollback { UnlessCommitWhole, Always };
    static Result<bool> recover(Env& env, const std::string& journalPath, File& database,
                                Rollback when = Rollback::UnlessCommitWhole);

    // Zeros over the header of the journal, not synced: from then on it never plays back, and
    // should the zeros be lost the journal's commit is whole in the synced file. The file
    // stays for the next commit to write over.
    static Status disarm(Env& env, const std::string& journalPath);

    // Removes the journal if it is a disarmed one, without a folder sync: it plays back nothing
    // whether the removal lasts or not. Any other journal stays.
    static Status removeDisarmed(Env& env, const std::string& journalPath);

    // Whether a journal lies at `journalPath` that the next open plays back into `database`.
    static Result<bool> playsBack(Env& env, const std::string& journalPath, File& database);

    // Removes the journal durably.
    static Status remove(Env& env, const std::string& journalPath);
};

}  // namespace velmora::engine::io
