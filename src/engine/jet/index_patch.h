// Changing a few entries of an index B-tree where they sort, instead of building the tree
// again: each entry taken out or put in is found by walking down from the root (a node entry
// names its child and holds the child's last entry; past the last entry lies the tail), and
// only the pages it changes are written, with the one node entry above a leaf whose last entry
// changed. A page that outgrows its room splits as Jet splits it: it keeps the first share of
// its entries, new pages after it in its level take the rest, and its parent gets an entry for
// each new page, which may split the parent in turn; the root keeps its number and moves its
// entries onto new pages below it. So a split writes the page, its new siblings, the next
// page of its level (whose back link changes), the parents whose entries change and the
// index's usage map. A change the tree cannot take so (a leaf left empty, an entry to remove
// that is not where its key sorts) is given up, and the caller builds the index anew.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/data_page.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/table_writer.h"
#include "engine/store/schema.h"

namespace velmora::engine::jet {

// One entry: its key bytes and the row slot it names.
struct KeyedRow {
    std::vector<uint8_t> key;
    RowPointer row;
};

// The entries of one index a commit changes.
struct IndexChanges {
    std::vector<KeyedRow> removed;
    std::vector<KeyedRow> added;
};

// Applies `changes` to the tree of `index` and adds the changed pages to `out`, the pages
// of splits taken from `allocator` and listed in the index's usage map through `maps`; true
// with `newKeys` the number of added entries whose key no neighbour holds. False, having
// added and taken nothing, when the tree needs a merge, or an entry to remove is not where its
// key sorts.
Result<bool> patchIndex(JetStorage& storage, const store::RealIndex& index,
                        const IndexChanges& changes, PageAllocator& allocator, CommitPages& out,
                        std::vector<MapUpdate>& maps, uint32_t& newKeys);

}  // namespace velmora::engine::jet
