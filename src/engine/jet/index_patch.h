// Changing a few entries of an index B-tree where they sort, instead of building the tree
// again: each entry taken out or put in is found by walking down from the root (a node entry
// names its child and holds the child's last entry; past the last entry lies the tail), and
// only the leaves it changes are written, with the one node entry above a leaf whose last
// entry changed. A change the tree cannot take without a split or a merge (a leaf over its
// room, a leaf left empty, a node entry that no longer fits) is given up, and the caller
// builds the index anew.
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

// Applies `changes` to the tree of `index` and adds the changed pages to `out`; true with
// `newKeys` the number of added entries whose key no neighbour holds. False, having added
// nothing, when the tree needs a split or merge, or an entry to remove is not where its key
// sorts.
Result<bool> patchIndex(JetStorage& storage, const store::RealIndex& index,
                        const IndexChanges& changes, CommitPages& out, uint32_t& newKeys);

}  // namespace velmora::engine::jet
