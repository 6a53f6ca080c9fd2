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

#include <cstdint>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/format.h"
#include "engine/jet/page_writer.h"
#include "engine/store/general_sort_order.h"

namespace velmora::engine::jet {

struct LeafEntry {
    store::KeyBytes key;
    uint32_t dataPage = 0;
    uint8_t dataRow = 0;
};

// Orders entries as the index must hold them: key bytes, then page, then row.
bool entryLess(const LeafEntry& a, const LeafEntry& b);

struct BuiltIndex {
    std::vector<PageImage> pages;  // the root first
    size_t levels = 0;
};

// `entries` must be sorted by entryLess and free of duplicates (key + row pointer).
Result<BuiltIndex> buildIndexTree(const JetFormat& fmt, uint32_t tdefPage, uint32_t rootPage,
                                  const std::vector<LeafEntry>& entries, PageAllocator& allocator);

}  // namespace velmora::engine::jet
