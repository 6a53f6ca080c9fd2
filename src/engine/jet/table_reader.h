// Reading the rows of a table: walk the table's owned-pages usage map in page order, take
// every data page the table owns, and decode each live slot in slot order. A slot flagged as
// a pointer (0x4000) names the page and row the record moved to; the target carries the
// deleted flag so that a scan sees it only through its pointer.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/base/status.h"
#include "engine/io/pager.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"
#include "engine/jet/table_definition.h"
#include "engine/store/packed_rows.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

struct RowLocation {
    RowPointer slot;    // the slot index entries point at (the pointer slot if moved)
    RowPointer stored;  // where the row image lives (differs for a moved row)
    bool moved() const { return !(slot == stored); }
};

struct TableRows {
    std::vector<store::Row> rows;        // physical order
    std::vector<RowLocation> locations;  // parallel to rows
};

// The data pages a table owns (page type 0x01 with the table's TDEF page as owner), in page
// order, with their slot tables.
Result<std::vector<DataPage>> readTableDataPages(io::Pager& pager, const JetFormat& fmt,
                                                 const TableDefinition& def);

// Every live row of the table, handed to `sink` one at a time in stored order, so a caller
// that keeps rows in its own form never holds them all decoded. `codePage` decodes Jet 3 text.
// The rows at the slots in `passOver` (RowPointer::toU32, ascending) are neither read nor
// handed on.
using RowSink = std::function<Status(store::Row&& row, const RowLocation& where)>;
Status scanTableRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                     uint16_t codePage, const RowSink& sink,
                     std::span<const uint32_t> passOver = {});

// The same for a caller that keeps the rows packed (a table in memory): each row is decoded
// straight into its packed form, valid during the call. With `wanted` (a byte per column of
// the schema, non-zero to decode) the other columns are handed on as Null, undecoded.
using PackedRowSink =
    std::function<Status(const store::PackedRowBuilder& row, const RowLocation& where)>;
Status scanTablePackedRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                           uint16_t codePage, const PackedRowSink& sink,
                           std::span<const uint8_t> wanted = {});

// Every live row of the table.
Result<TableRows> readTableRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                                uint16_t codePage);

}  // namespace velmora::engine::jet
