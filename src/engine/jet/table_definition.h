// Table definitions (TDEF pages, type 0x02) and their decoding into a store::TableSchema.
//
// A definition may span several pages linked through the u32 at offset 4. The logical byte
// stream is the first page whole, then each continuation page from offset 8; all offsets
// below count from the start of that stream. Order of its parts:
//
//   header (J3 0x2B / J4 0x3F bytes): tdef_len 0x08, row count, autonumber, table type,
//       max columns, variable columns, columns, logical and real index counts, the row
//       pointers of the owned-pages and free-space usage maps
//   per real index: a row-count block (J3 8 / J4 12 bytes)
//   per column: a column block (J3 18 / J4 25 bytes), then all column names
//   per real index: an index block (J3 39 / J4 52 bytes)
//   per logical index: an index block (J3 20 / J4 28 bytes), then all logical index names
//   long-value usage maps: [column u16][owned map u32][free map u32] ... until 0xFFFF
//
// Offsets within each block are in format.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/pager.h"
#include "engine/jet/format.h"
#include "engine/store/schema.h"

namespace velmora::engine::jet {

struct TableDefinition {
    store::TableSchema schema;          // name left empty: the catalog names tables
    uint32_t rowCount = 0;              // live rows according to the header
    uint32_t declaredLength = 0;        // tdef_len as stored
    std::vector<uint32_t> pages;        // the TDEF page chain, first page first
    std::vector<uint8_t> bytes;         // the joined stream, as stored
    std::vector<uint8_t> columnRaw;     // the column blocks, as stored (for bytes no field keeps)
    std::vector<uint8_t> realIndexRaw;  // the real index blocks, as stored
};

// Decodes a joined TDEF stream. `codePage` decodes Jet 3 names.
Result<TableDefinition> decodeTableDefinition(const JetFormat& fmt, Bytes stream,
                                              uint16_t codePage);

// Follows the page chain from `firstPage`, joins the stream and decodes it. Errors name the
// page where the damage was noticed.
Result<TableDefinition> readTableDefinition(io::Pager& pager, const JetFormat& fmt,
                                            uint32_t firstPage, uint16_t codePage);

// The columns of a schema in column-number order (the order of the null mask, and the order
// in which Access and DAO list a table's fields).
std::vector<size_t> columnsInNumberOrder(const store::TableSchema& schema);

}  // namespace velmora::engine::jet
