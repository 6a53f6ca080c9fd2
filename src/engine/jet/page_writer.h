// Building blocks of a commit: page allocation, data pages packed with rows, rows rewritten
// on an existing page, and usage map rows.
//
// Allocation never hands out a page that the file's current state uses: a commit writes its
// new pages only where the old state has free pages (or past its end), so the old state stays
// intact until the few pages that must change in place are switched under the journal.
// Pages that the commit stops using become free in the new global map, but are not reused by
// the same commit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"
#include "engine/jet/usage_map.h"

namespace velmora::engine::jet {

// Pages with at least this much room stay in a table's free-space map.
inline constexpr size_t kFreeMapThreshold = 64;

struct PageImage {
    uint32_t number = 0;
    std::vector<uint8_t> bytes;
};

class PageAllocator {
public:
    // `freeInOld`: the pages the global map marks free, below `pageCount`.
    PageAllocator(uint32_t pageCount, const std::vector<uint32_t>& freeInOld);
    // The pages the global map `global` marks free, but its own map pages, whatever their
    // bits say.
    static PageAllocator forGlobalMap(uint32_t pageCount, const UsageMap& global);

    // The lowest page free in the old state and not yet taken, else a new page at the end.
    uint32_t allocate();
    // The same above `page`: pages of a table read in page order keep rows added to it last.
    uint32_t allocateAfter(uint32_t page);
    // A page the new state no longer uses.
    void release(uint32_t page);

    uint32_t oldPageCount() const { return m_oldCount; }
    uint32_t newPageCount() const { return m_newCount; }
    // Pages free in the new state (below newPageCount()).
    std::vector<uint32_t> freePagesAfter() const;
    const std::set<uint32_t>& allocated() const { return m_allocated; }
    // Whether a page was taken or given back.
    bool changed() const { return !m_allocated.empty() || !m_released.empty(); }
    // Whether the old state marks the page free (its bytes mean nothing to that state).
    bool wasFree(uint32_t page) const { return m_freeInOld.count(page) != 0; }

private:
    uint32_t m_oldCount;
    uint32_t m_newCount;
    std::set<uint32_t> m_free;  // free in the old state, not yet taken
    std::set<uint32_t> m_allocated;
    std::set<uint32_t> m_released;
    std::set<uint32_t> m_freeInOld;
};

// Packs rows onto fresh data pages of one owner (a table's TDEF page, or "LVAL").
class DataPageBuilder {
public:
    DataPageBuilder(const JetFormat& fmt, uint32_t owner, PageAllocator& allocator)
        : m_fmt(fmt), m_owner(owner), m_allocator(allocator) {}

    // Places the row, starting a new page when the current one cannot take it.
    RowPointer add(Bytes row);
    // Free bytes left on the current page (0 when there is none yet).
    size_t roomOnCurrentPage() const;
    std::vector<PageImage>& pages() { return m_pages; }
    const std::vector<PageImage>& pages() const { return m_pages; }

    // Free space a fresh page offers a row (its slot entry included).
    size_t emptyPageRoom() const { return m_fmt.pageSize - m_fmt.dataRowTable; }

private:
    void startPage();

    const JetFormat& m_fmt;
    uint32_t m_owner;
    PageAllocator& m_allocator;
    std::vector<PageImage> m_pages;
    uint16_t m_slots = 0;
    uint16_t m_lowest = 0;
};

// A data page of a table changed row by row, where its rows are: rows replaced, erased or
// added, every other row kept byte for byte and slot numbers unchanged. render() stacks the
// rows again from the page end.
class DataPageEdit {
public:
    // The edit keeps `page` as it is and its rows where they are; a row it changes is held
    // beside them, so decoding a page costs one copy of it, not one allocation per row.
    static Result<DataPageEdit> decode(const JetFormat& fmt, uint32_t number,
                                       std::vector<uint8_t> page);
    // An empty data page of `owner`.
    static DataPageEdit fresh(const JetFormat& fmt, uint32_t number, uint32_t owner);

    uint32_t number() const { return m_number; }
    size_t slotCount() const { return m_slots.size(); }
    uint16_t flags(size_t slot) const { return m_slots[slot].flags; }
    // Valid until the page is changed again.
    Bytes row(size_t slot) const;
    // Free bytes once rendered.
    size_t room() const;
    // False, changing nothing, when the page cannot take the row.
    bool replace(size_t slot, Bytes row, uint16_t flags);
    // The row in `slot` changed where it is, keeping its length and flags: `change` is handed
    // its bytes, held beside the page, and writes into them (Status(MutableBytes)). A change
    // that fails or leaves the bytes as they were leaves the page as it is. One copy of the
    // row, where replace() takes an image built elsewhere and compares and copies it.
    template <class Change>
    Status rewrite(size_t slot, Change&& change);
    // The slot stays, marked deleted and empty, as Access leaves it.
    void erase(size_t slot);
    // The new row's slot, or none when the page has no room (or no slot) for it.
    std::optional<uint8_t> add(Bytes row, uint16_t flags = 0);
    std::vector<uint8_t> render() const;
    // Whether a row was replaced by other bytes, erased or added (a fresh page counts).
    bool changed() const { return m_changed; }

private:
    // A row: `length` bytes at `from` in the page as decoded, or in the rows held beside it.
    struct Slot {
        uint16_t flags = 0;
        bool held = false;
        uint32_t from = 0;
        uint32_t length = 0;
    };

    DataPageEdit(const JetFormat& fmt) : m_fmt(&fmt) {}
    // Puts `row` into `slot` from the rows held beside the page.
    void hold(Slot& slot, Bytes row);
    // Room for `n` more bytes at the end of the held rows; returns where they start.
    size_t holdRoom(size_t n);

    const JetFormat* m_fmt;
    uint32_t m_number = 0;
    std::vector<uint8_t> m_page;  // as decoded; its header up to the slot table is kept
    std::vector<uint8_t> m_held;  // the bytes of rows changed since
    std::vector<Slot> m_slots;
    size_t m_rowBytes = 0;  // of every slot's row
    bool m_changed = false;
};

template <class Change>
Status DataPageEdit::rewrite(size_t slot, Change&& change) {
    Slot& s = m_slots[slot];
    const Slot before = s;
    const size_t heldBefore = m_held.size();
    const size_t at = holdRoom(before.length);
    const uint8_t* const old = (before.held ? m_held.data() : m_page.data()) + before.from;
    std::copy_n(old, before.length, m_held.data() + at);
    const MutableBytes bytes(m_held.data() + at, before.length);
    Status done = change(bytes);
    if (!done.isOk() || std::equal(bytes.begin(), bytes.end(), old)) {
        m_held.resize(heldBefore);
        return done;
    }
    s.held = true;
    s.from = uint32_t(at);
    m_changed = true;
    return Status::ok();
}

// A data page with slot `slot` replaced by `row` (its flags kept) and every other row kept
// byte for byte; rows are stacked again from the page end, slot numbers never change.
Result<std::vector<uint8_t>> replaceRowOnPage(const JetFormat& fmt, Bytes page, uint32_t number,
                                              size_t slot, Bytes row);

// The row of a usage map listing `pages`, replacing the map `old` in a row of `rowLength`
// bytes. An inline map stays inline while the pages fit its bitmap (its start page kept when
// it still serves), and becomes a reference map when they do not, as Access switches a table
// that outgrows its map. A reference map stays one: it keeps the map pages of the ranges it
// still uses (the commit rewrites them in place), takes pages from `allocator` for ranges it
// reaches first, and releases the ones it no longer needs. The map pages to write are
// appended to `mapPages`.
Result<std::vector<uint8_t>> encodeUsageMapRow(const JetFormat& fmt, size_t rowLength,
                                               const UsageMap& old,
                                               const std::vector<uint32_t>& pages,
                                               PageAllocator& allocator,
                                               std::vector<PageImage>& mapPages);

// The global map row (page 1, row 0) of a new database: start page 0, a set bit for every
// free page and for every page past the end, at least `minLength` bytes long.
std::vector<uint8_t> encodeGlobalMapRow(const std::vector<uint32_t>& freePages, uint32_t pageCount,
                                        size_t minLength);

// The global map after a commit, as `allocator` leaves the pages, replacing `old` in a row of
// `rowLength` bytes. An inline map from page 0 grows its row with the file while page 1 has
// room for it (`maxRowLength`: the longest row page 1 can give the map); a file that outgrows
// that switches to a reference map in a row of `rowLength` bytes. A reference map
// keeps its map pages, rewritten in place, and takes a new one for each range the file
// reaches first; that page is taken before the free pages are listed, so the map marks it
// used. An inline map from another start is refused with 3251: the pages below its start
// would have no state. The map pages to write are appended to `mapPages`.
Result<std::vector<uint8_t>> encodeGlobalMap(const JetFormat& fmt, const UsageMap& old,
                                             size_t rowLength, size_t maxRowLength,
                                             PageAllocator& allocator,
                                             std::vector<PageImage>& mapPages);

}  // namespace velmora::engine::jet
