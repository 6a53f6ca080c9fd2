// Building an index B-tree from scratch, bottom-up, from its sorted entries.
//
// Leaves are filled in key order, each page as full as its entry area allows, with the
// shared-prefix compression of the format (the prefix is the common start of the first and
// the last key on the page). Above them, node levels list every child but the last as an
// entry [key][data page BE 3][row 1][child page BE 4], keyed with the last leaf entry under
// that child; the last child is the node's tail. Every level is linked through previous/next
// pointers. The top page is written at the index's root page, whose number never changes;
// all other pages come from the allocator.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"
#include "engine/jet/index_key.h"
#include "engine/jet/page_writer.h"
#include "engine/store/general_sort_order.h"

namespace velmora::engine::jet {

// One leaf entry. The key bytes stay with the caller (commonly one buffer holding every key
// of the index), which keeps them unchanged for as long as the entry is used.
struct LeafEntry {
    std::span<const uint8_t> key;
    uint32_t dataPage = 0;
    uint8_t dataRow = 0;
};

// Whether two entries hold the same key bytes.
inline bool sameKey(const LeafEntry& a, const LeafEntry& b) {
    return std::ranges::equal(a.key, b.key);
}

// Orders entries as the index must hold them: key bytes, then page, then row.
bool entryLess(const LeafEntry& a, const LeafEntry& b);

// The keys of one index over the rows of a table, built one row at a time into one buffer
// rather than one allocation per key.
class IndexKeyList {
public:
    void reserve(size_t rows) {
        m_keys.reserve(rows);
        m_bytes.reserve(16 * rows);
    }
    // Adds the key of `row`, which the table stores at `where`; fails as encodeIndexKey().
    Status add(const store::TableSchema& schema, const store::RealIndex& index,
               const store::Row& row, KeyFormat format, RowPointer where);
    // How many keys were added, and the bytes of the k-th; valid while nothing more is added.
    size_t size() const { return m_keys.size(); }
    std::span<const uint8_t> key(size_t k) const {
        return std::span<const uint8_t>(m_bytes).subspan(m_keys[k].from, m_keys[k].length);
    }
    // One entry per key added, sorted by entryLess. The entries read the keys where this list
    // keeps them: they are valid while it lives and nothing more is added.
    std::vector<LeafEntry> sortedEntries() const;

private:
    struct Key {
        uint32_t from = 0;
        uint32_t length = 0;
        RowPointer where;
    };
    store::KeyBytes m_bytes;
    std::vector<Key> m_keys;
};

struct BuiltIndex {
    std::vector<PageImage> pages;  // the root first
    size_t levels = 0;
};

// `entries` must be sorted by entryLess and free of duplicates (key + row pointer).
Result<BuiltIndex> buildIndexTree(const JetFormat& fmt, uint32_t tdefPage, uint32_t rootPage,
                                  const std::vector<LeafEntry>& entries, PageAllocator& allocator);

}  // namespace velmora::engine::jet
