// The page images of one commit, by page number: what planning puts and reads back, and what
// the commit writes and hands its observer (jet_database.h).
//
// Invariant 2 keeps every new image away from the database until the journal is synced, so a
// commit that changes a whole table has all of that table's new pages at once. Only `budget`
// bytes of them stay in memory: past it, the images put longest ago go into a scratch file, 16
// at a time in one write, each into a slot of its own that a later image of the same page
// overwrites. They come back from there when planning reads them (find(), current()), and
// when the commit writes them and tells its observer (forEachRun(): page-ordered runs in one
// buffer of bounded size, consecutive slots in one read).
//
// The budget, 64 KiB (16 Jet 4 pages, 32 Jet 3 ones), is the size of the commit's largest
// write run: a commit of a few rows, with its index, map and definition pages, stays under it
// and never touches the scratch file; one that changes a whole table holds about one run of
// images besides the run it writes from (and one batch while it spills), however large the
// table. Memory the process has not used before costs a page fault a page, which on a virtual
// machine costs more than writing the page to the scratch file and reading it back: a larger
// budget made the commit of every row of a large table slower, not faster.
//
// The scratch file is Env::openScratch() beside the database, made the first time the budget
// is crossed: it has no name the next open could find (and none like the journal's), and it is
// gone when the commit ends, a crash included. It is never synced: nothing durable is in it.
// When it cannot be made the images stay in memory, as they would without it, and the commit
// goes on. A write to it or a read from it that fails fails the commit: during planning nothing
// was written yet; while the pages are written, invariant 6 rolls back.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/file.h"
#include "engine/io/journal.h"
#include "engine/io/pager.h"

namespace velmora::engine::jet {

class CommitPages {
public:
    static constexpr size_t kDefaultBudget = size_t(64) << 10;

    // Images of `pageSize` bytes; past `budget` bytes in memory they go to a scratch file
    // beside `databasePath` in `env`. Without an Env every image stays in memory.
    CommitPages(uint32_t pageSize, io::Env* env = nullptr, std::string databasePath = {},
                size_t budget = kDefaultBudget);

    // The image of `page` (pageSize bytes) from now on, in place of one put before.
    Status put(uint32_t page, std::vector<uint8_t> image);
    // The image put for `page` into `out`; false, with `out` untouched, when none was put.
    Result<bool> find(uint32_t page, std::vector<uint8_t>& out) const;
    // The current image of a page: the one put, else the one in the file.
    Result<std::vector<uint8_t>> current(io::Pager& pager, uint32_t page) const;

    size_t size() const { return m_images.size(); }
    bool empty() const { return m_images.empty(); }
    // The pages put, in page order.
    std::vector<uint32_t> pageNumbers() const;
    // The images in page order, in runs of consecutive page numbers of at most `maxPages`;
    // `run` is valid during the call only.
    using RunVisitor = std::function<Status(uint32_t first, Bytes run)>;
    Status forEachRun(uint32_t maxPages, const RunVisitor& visit) const;

    // The file as the commit leaves it, `sizeBefore` long now: its size, and the hash of every
    // image put (io::quickPageHash), which the journal keeps so that an open tells a commit
    // whole in the file from one cut off (io/journal.h). A spilled image's hash was taken as it
    // went to the scratch file, so none is read back for this.
    io::FileAfterCommit fileAfter(uint64_t sizeBefore) const;

    // Bytes of images in memory now; whether some are in the scratch file.
    size_t bytesInMemory() const { return m_bytesInMemory; }
    bool usesScratchFile() const { return m_scratch != nullptr; }

private:
    // An image in memory (`bytes`), or in the scratch file at slot `slot` (bytes empty) with
    // its hash.
    struct Image {
        std::vector<uint8_t> bytes;
        std::optional<uint64_t> slot;
        uint64_t slotHash = 0;
    };
    // Moves the images put longest ago to the scratch file, a batch at a time, until the
    // budget holds again with room for a batch. After a failed write the images are lost: the
    // commit fails.
    Status spill();
    static constexpr size_t kPagesPerSpill = 16;
    Status readSlot(uint64_t slot, size_t count, MutableBytes out) const;

    uint32_t m_pageSize;
    io::Env* m_env;
    std::string m_databasePath;
    size_t m_budget;
    std::map<uint32_t, Image> m_images;
    std::deque<uint32_t> m_inMemory;  // pages whose image is in memory, oldest first
    size_t m_bytesInMemory = 0;
    std::unique_ptr<io::File> m_scratch;
    bool m_noScratch = false;  // it could not be made: everything stays in memory
    uint64_t m_slots = 0;
};

}  // namespace velmora::engine::jet
