// Data pages (type 0x01): the pages that hold table rows, long-value fragments and usage-map
// rows.
//
//   offset J3/J4  size  field
//   0x00          1     0x01
//   0x02          2     free space = lowest row start - end of the slot table
//   0x04          4     owner: TDEF page of the table, "LVAL", 0 (usage maps) or 1 (page 1)
//   0x08 / 0x0C   2     number of slots, deleted ones included
//   0x0A / 0x0E   2×n   slot table: flags (0x8000 deleted, 0x4000 pointer) | offset (13 bits)
//
// Rows are stacked down from the end of the page: slot 0 ends at the page end, slot i ends
// where slot i-1 starts. A row's length is therefore implied by its neighbour.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/pager.h"
#include "engine/jet/format.h"

namespace velmora::engine::jet {

struct RowSlot {
    uint16_t raw = 0;     // the stored entry, flags included
    uint16_t offset = 0;  // start of the row, from the page start
    uint16_t end = 0;     // one past the row's last byte

    bool isDeleted() const { return (raw & row_slot::kDeleted) != 0; }
    bool isPointer() const { return (raw & row_slot::kPointer) != 0; }
    uint16_t length() const { return uint16_t(end - offset); }
};

struct DataPage {
    uint32_t number = 0;
    uint16_t freeSpace = 0;
    uint32_t owner = 0;
    std::vector<RowSlot> slots;

    // The free space the slot table and rows imply (what a correct header holds).
    uint16_t computedFreeSpace(const JetFormat& fmt) const;
};

// A row pointer as TDEF fields, index entries and long values store it: row in the low byte,
// page in the upper three.
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;

    static RowPointer fromU32(uint32_t v) { return {v >> 8, uint8_t(v & 0xFF)}; }
    uint32_t toU32() const { return (page << 8) | row; }
    bool operator==(const RowPointer&) const = default;
};

// Decodes the header and slot table of a data page. A live slot must lie between the slot
// table and the page end; a deleted slot may hold anything (Access shrinks them to zero
// length) and is reported with an empty range when its offsets make no sense.
Result<DataPage> decodeDataPage(const JetFormat& fmt, uint32_t number, Bytes page);

// The bytes of one row slot, read through the pager: page type 0x01 and the slot's
// existence are checked. Deleted slots are returned too; callers decide.
struct RowBytes {
    io::PageRef page;  // keeps `bytes` alive
    Bytes bytes;
    RowSlot slot;
};
Result<RowBytes> readRowSlot(io::Pager& pager, const JetFormat& fmt, RowPointer where);

}  // namespace velmora::engine::jet
