// The MEMO and OLE values of a table changed where they are, for a commit that writes a table's
// rows in place (table_patch.h). A value that goes is taken off its LVAL pages: each of its
// rows (the single row, or every link of a chain) is marked deleted and emptied, as Jet does.
// A new value that does not stay inline goes onto LVAL pages of its column: first the last page
// its free-space map lists, then new pages, which join its maps; the free-space map then lists
// the column's pages this commit left with room. Values of different columns
// never share a page. Only the LVAL pages touched are written. (A table with a long-value
// column without maps of its own is written anew instead: table_writer.h.)
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/page_writer.h"
#include "engine/jet/table_writer.h"
#include "engine/store/schema.h"

namespace velmora::engine::jet {

class LongValueEdits {
public:
    LongValueEdits(JetStorage& storage, CommitPages& out, const store::TableSchema& schema,
                   PageAllocator& allocator)
        : m_storage(storage), m_out(out), m_schema(schema), m_allocator(allocator) {}

    // The row field of a new value of column `c` (its header, and its bytes when inline).
    Result<std::vector<uint8_t>> store(const store::ColumnDef& c, Bytes data, bool allowInline);
    // Takes the value a stored field of column `c` names off its LVAL pages; nothing for an
    // inline one.
    Status release(const store::ColumnDef& c, Bytes field);
    // The changed LVAL pages into the commit, and the new ones into their columns' maps.
    Status finish(std::vector<MapUpdate>& maps);

private:
    // LVAL page `number` as this commit changes it; damage when it is none.
    Result<DataPageEdit*> page(uint32_t number);
    // Places one LVAL row of column `column`.
    Result<RowPointer> add(uint16_t column, Bytes row);
    const store::LongValueMaps* mapsOf(uint16_t column) const;

    JetStorage& m_storage;
    CommitPages& m_out;
    const store::TableSchema& m_schema;
    PageAllocator& m_allocator;
    std::map<uint32_t, DataPageEdit> m_pages;
    std::map<uint16_t, std::optional<uint32_t>> m_target;  // by column: the page it fills
    std::map<uint16_t, std::vector<uint32_t>> m_newPages;  // by column
    std::map<uint16_t, std::set<uint32_t>> m_freedOn;      // by column: pages rows left
};

}  // namespace velmora::engine::jet
