// Encoding a whole table definition (TDEF) from a store::TableSchema, for tables that a
// commit creates and for the compacted copy of a file, the inverse of
// decodeTableDefinition(). Changes to the definition of a table that stays in place
// (row count, AutoNumber, index key counts) are patched by the table writer instead.
//
// The stream is laid out as table_definition.h describes; every pointer it holds (usage map
// rows, index roots) comes from the schema, so callers place those pages first. Both layouts
// are written; the Jet 3 one has no magic numbers and stores names in the file's code page.
//
// Bytes that the format leaves unexplained are written as Jet writes them for a new table:
// magic numbers 1625 and 1923, the AutoNumber flag byte 0x01, the index flag 0x80, and zero
// where Access files hold left-over memory (fixed offsets of variable columns, order bytes
// of unused index column slots).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/format.h"
#include "engine/jet/page_writer.h"
#include "engine/store/schema.h"

namespace velmora::engine::jet {

// Gives every column of a new table its number, variable slot and fixed offset, in the
// order of `schema.columns`: numbers 0..n-1, variable slots in number order, fixed columns
// packed in number order (Boolean takes no bytes), Text lengths in bytes. Sets maxColumns and
// variableColumns, and the flags Jet sets on every column (updatable; fixed for fixed-size
// types). Refuses names that are empty, longer than 64 characters or repeated (3010 style
// errors: 3001), and more than 255 columns.
Status layoutNewColumns(store::TableSchema& schema);

// Keeps logical indexes in name order (case-insensitive), as Access stores them.
void sortLogicalIndexes(store::TableSchema& schema);

// The logical TDEF stream (without page chaining): header, index count blocks, columns,
// names, real and logical indexes, long-value map list, 0xFFFF. `rowCount` goes into the
// header; every real index's rowCount is its distinct-key count. Jet 3 names are stored in
// `codePage`.
Result<std::vector<uint8_t>> encodeTableDefinition(const JetFormat& fmt,
                                                   const store::TableSchema& schema,
                                                   uint32_t rowCount, uint16_t codePage = 1252);

// How many pages the stream needs.
size_t tableDefinitionPageCount(const JetFormat& fmt, size_t streamLength);

// Splits the stream over `pages` (first page first; tableDefinitionPageCount of them), with
// the 8-byte header repeated on each continuation page, the chain pointers and the
// free-space fields set.
std::vector<PageImage> paginateTableDefinition(const JetFormat& fmt,
                                               const std::vector<uint8_t>& stream,
                                               const std::vector<uint32_t>& pages);

}  // namespace velmora::engine::jet
