// Writing a table's changes where its rows are: the rows added, replaced and erased since the
// table was loaded or last committed (store::Table keeps them, with every row's place), each
// on the data page that holds it, and nothing else of the table but what those rows change.
//
// A row changed in fixed-width values alone has them written over its stored image
// (row_patch.h), which keeps its length and its slot. A replaced row that still fits its page
// stays in its slot. One that no longer fits moves as
// Jet moves rows: its image goes to a page with room, where its slot is marked deleted so that
// scans pass over it, and the original slot keeps a pointer to it (flag 0x4000), so that index
// entries go on naming the slot. An erased row's slot stays, marked deleted and empty (with
// the image it pointed to). Added rows go to the table's last page while it has room, then
// onto new pages, which join the table's usage maps. An index changes only when an entry of
// it does (a row added or erased, a value of its columns changed), and then where the entries
// sort (index_patch.h); the table definition is written only when its counts change.
//
// MEMO and OLE values change on their LVAL pages (long_value_patch.h). Tables whose rows have
// no known places (a redesigned table, one created in memory), and tables with a long-value
// column without usage maps of its own, are left to the whole rewrite of table_writer.h.
#pragma once

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/page_writer.h"
#include "engine/jet/table_definition.h"
#include "engine/jet/table_writer.h"
#include "engine/store/table.h"

namespace velmora::engine::jet {

// Adds the pages of `table`'s changes to `out` and the places of its new rows to `placed`;
// false, having added nothing, when the table must be rewritten whole. `def` is the stored
// definition, of the same design.
Result<bool> patchTable(JetStorage& storage, const store::Table& table, const TableDefinition& def,
                        PageAllocator& allocator, CommitPages& out, RowPlaces& placed);

}  // namespace velmora::engine::jet
