// A whole Jet 3 or Jet 4 file laid out from nothing: the image of a new database and of a
// compacted copy. Tables are given as schemas and rows; the builder places every page and fills in
// the pointers between them, in the order Jet itself lays out a fresh file:
//
//   page 0            the header (given by the caller, already masked)
//   page 1            the global usage map (row 0) and the second, empty map row Jet keeps
//   pages 2..         the table definitions, in the order tables were added; MSysObjects
//                     first, so its definition is page 2 as every reader expects
//   next              usage-map host pages: per table its owned and free maps, two maps per
//                     MEMO/OLE column, one per real index (inline rows of 69 bytes)
//   next              one root page per real index
//   next              data pages and long-value pages, table by table, then the index pages
//                     below the roots, then bitmap pages of reference maps (large files only)
//
// There are no free pages and no deleted rows. A table's catalog Id is the page of its table
// definition, known as soon as the table is added, so callers can fill in MSysObjects and
// MSysACEs rows before finish() encodes them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/format.h"
#include "engine/jet/page_writer.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

class DatabaseImageBuilder {
public:
    // `page0` is the complete header page, as it goes into the file.
    DatabaseImageBuilder(const JetFormat& fmt, std::vector<uint8_t> page0);

    // Adds a table whose columns are laid out (numbers, slots, offsets) and whose indexes are
    // defined (columns, flags, logical entries); page pointers are assigned by the builder.
    // Returns the table's position; its definition page is tdefPage(position).
    Result<size_t> addTable(store::TableSchema schema);
    uint32_t tdefPage(size_t table) const { return m_tables[table].tdefPages.front(); }
    store::TableSchema& schema(size_t table) { return m_tables[table].schema; }
    // The rows of a table, values in the order of its schema's columns.
    std::vector<store::Row>& rows(size_t table) { return m_tables[table].rows; }

    // Encodes everything and returns the file's bytes. 3022 when a unique index meets a
    // repeated key, 3058 when a primary key or required index meets a Null.
    Result<std::vector<uint8_t>> finish();

private:
    // The code page of Jet 3 text and names, from the header page.
    uint16_t codePage() const;
    struct Entry {
        store::TableSchema schema;
        std::vector<store::Row> rows;
        std::vector<uint32_t> tdefPages;
    };
    const JetFormat& m_fmt;
    std::vector<uint8_t> m_page0;
    std::vector<Entry> m_tables;
    PageAllocator m_allocator;
};

// The rows of a table to lay out, handed one at a time to a visitor, in their order. The
// layout visits them once, so a table kept in its own form is never copied as decoded rows.
using RowVisitor = std::function<void(const store::Row&)>;
using RowSource = std::function<void(const RowVisitor&)>;

// A source over rows kept in a vector (which must outlive the source).
RowSource rowsOf(const std::vector<store::Row>& rows);

// One table to lay out whole: its schema (page pointers are filled in), its rows, and the
// pages its definition takes (already reserved; the first is the table's Id).
struct TableToWrite {
    store::TableSchema* schema = nullptr;
    RowSource rows;
    std::vector<uint32_t> tdefPages;
};

// Lays out the tables with pages from `allocator`: usage-map hosts of their own, index
// roots, data and long-value pages, index trees, and the definitions on their reserved
// pages. Appends every page image to `images`. 3022 / 3058 as finish() below.
Status encodeWholeTables(const JetFormat& fmt, std::vector<TableToWrite>& tables,
                         PageAllocator& allocator, std::vector<PageImage>& images,
                         uint16_t codePage = 1252);

// A data page holding `rows` in slot order (owner 0 for usage-map hosts, 1 for page 1).
std::vector<uint8_t> packRowsOnPage(const JetFormat& fmt, uint32_t owner,
                                    const std::vector<std::vector<uint8_t>>& rows);

}  // namespace velmora::engine::jet
