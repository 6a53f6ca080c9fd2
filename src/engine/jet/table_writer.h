// Writing one changed table back into its Jet 3 or Jet 4 file, as page images for the commit.
//
// A table whose rows all have known places (table.h), and whose MEMO and OLE columns have
// usage maps of their own, is changed where its rows are (table_patch.h): only the pages of the
// changed rows and of their long values, of the indexes whose entries change, of the maps and
// of the definition are written. Any other table is rewritten whole: its live rows go, in their
// in-memory order, onto fresh data pages; its long values onto fresh LVAL pages (inline when
// small); every index is rebuilt as a B-tree from its sorted keys, with the root kept at its page.
// What must change in place is patched, not rebuilt: the table definition (row count, next
// AutoNumber, the per-index key counts) on its own pages, and the usage map rows (table, index and
// long-value maps) on their host pages. The pages the table used before are released to the global
// map.
//
// Nothing is written here: the result is a set of page images that the commit writes under
// its journal (see jet_database.h). Anything that would be written wrong is refused before
// that: a text index in a sort order we do not implement, a key character our tables do not
// cover, a row over the size limit, a change of the table's design.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/commit_pages.h"
#include "engine/jet/index_builder.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/page_writer.h"
#include "engine/store/table.h"

namespace velmora::engine::jet {

// Where a commit put rows of a table: once the commit is done the table takes them
// (Table::setPlaces). `whole`: the table was written anew, rows not listed are stored nowhere.
struct RowPlaces {
    bool whole = false;
    std::vector<std::pair<store::RowId, uint32_t>> rows;
};

// Adds the pages that store `table` (already in the file under the same name) to `out`, and
// where its rows go to `placed`.
Status writeTable(JetStorage& storage, const store::Table& table, PageAllocator& allocator,
                  CommitPages& out, RowPlaces& placed);

// A usage map row to replace with one listing `pages`.
struct MapUpdate {
    RowPointer where;
    std::vector<uint32_t> pages;
};
Status applyMapUpdates(JetStorage& storage, const std::vector<MapUpdate>& updates,
                       PageAllocator& allocator, CommitPages& out);

// Builds real index `ix` of a table anew from `keys` (one per row it holds): releases the
// pages of the old tree but its root, adds the new tree's pages to `out`, its usage map to
// `maps` and its key count to the table definition `tdef`. `oldTree`: the old tree's pages
// when known already, else empty and the tree is walked (a damaged one refuses the commit).
Status writeIndex(JetStorage& storage, const store::TableSchema& schema, size_t ix,
                  const IndexKeyList& keys, std::vector<uint32_t> oldTree, PageAllocator& allocator,
                  CommitPages& out, std::vector<MapUpdate>& maps, std::vector<uint8_t>& tdef);

// Writes the table definition `tdef` (its bytes, counts patched) back onto the definition's
// pages, with the table's row count and next AutoNumber; pages whose bytes stay the same are
// left out.
Status writeDefinition(JetStorage& storage, const TableDefinition& def, std::vector<uint8_t> tdef,
                       const store::Table& table, CommitPages& out);

// Releases the LVAL pages that the stored rows (`data`, decoded with the stored definition)
// reference from MEMO/OLE columns without usage maps of their own, whose pages no map lists.
// A page is released only when every live row on it belongs to those values.
Status releaseUnmappedLongValuePages(JetStorage& storage, const store::TableSchema& stored,
                                     const std::vector<DataPage>& data, PageAllocator& allocator);

// Replaces the global usage map (page 1, row 0, and the map pages of a reference map) with the
// allocator's view of free pages; the last step of planning a commit, as a reference map may
// take a page for a range the file reaches first.
Status writeGlobalMap(JetStorage& storage, PageAllocator& allocator, CommitPages& out);

}  // namespace velmora::engine::jet
