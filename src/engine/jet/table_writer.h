// Writing one changed table back into its Jet 3 or Jet 4 file, as page images for the commit.
//
// A changed table is rewritten whole: its live rows go, in their in-memory order, onto fresh
// data pages; its long values onto fresh LVAL pages (inline when small); every index is
// rebuilt as a B-tree from its sorted keys, with the root kept at its page. What must change
// in place is patched, not rebuilt: the table definition (row count, next AutoNumber, the
// per-index key counts) on its own pages, and the usage map rows (table, index and long-value
// maps) on their host pages. The pages the table used before are released to the global map.
//
// Nothing is written here: the result is a set of page images that the commit writes under
// its journal (see jet_database.h). Anything that would be written wrong is refused before
// that: a text index in a sort order we do not implement, a key character our tables do not
// cover, a row over the size limit, a change of the table's design.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/page_writer.h"
#include "engine/store/table.h"

namespace velmora::engine::jet {

// Page images of one commit, by page number; later changes to a page replace earlier ones.
struct CommitPages {
    std::map<uint32_t, std::vector<uint8_t>> images;
    // The current image of a page: a pending one, else the one in the file.
    Result<std::vector<uint8_t>> current(io::Pager& pager, uint32_t page) const;
};

// Adds the pages that store `table` (already in the file under the same name) to `out`.
Status writeTable(JetStorage& storage, const store::Table& table, PageAllocator& allocator,
                  CommitPages& out);

// Releases the LVAL pages that the stored rows (`data`, decoded with the stored definition)
// reference from MEMO/OLE columns without usage maps of their own, whose pages no map lists.
// A page is released only when every live row on it belongs to those values.
Status releaseUnmappedLongValuePages(JetStorage& storage, const store::TableSchema& stored,
                                     const std::vector<DataPage>& data, PageAllocator& allocator);

// Replaces the global usage map (page 1, row 0) with the allocator's view of free pages.
Status writeGlobalMap(JetStorage& storage, const PageAllocator& allocator, CommitPages& out);

}  // namespace velmora::engine::jet
