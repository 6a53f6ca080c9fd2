// Usage maps: sets of page numbers stored as a row on a data page.
//
//   inline (type 0x00):    [0x00][start page u32][bitmap: rest of the row]
//                          bit i (LSB first) = page start + i
//   reference (type 0x01): [0x01][map page u32]...; map page k is a page of type 0x05 whose
//                          bitmap (from offset 4) covers pages k*P .. (k+1)*P-1,
//                          P = (page size - 4) * 8
//
// Tables, indexes and long-value columns own maps; page 1 row 0 is the global map, where a set
// bit means the page is free.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/pager.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"

namespace velmora::engine::jet {

struct UsageMap {
    uint8_t type = 0;                // 0x00 inline, 0x01 reference
    uint32_t startPage = 0;          // inline maps
    std::vector<uint32_t> mapPages;  // reference maps: the 0x05 pages (0 = none)
    std::vector<uint32_t> pages;     // every page whose bit is set, ascending
    size_t bitmapBits = 0;           // pages the map can describe
    RowPointer location;             // where the map row lives
};

// Decodes an inline map row. Reference maps need the pager for their map pages.
Result<UsageMap> decodeInlineUsageMap(Bytes row);

// Reads the map whose row `where` points at. Pages at or beyond `pageLimit` are not listed
// (global maps mark pages past the end of the file as free).
Result<UsageMap> readUsageMap(io::Pager& pager, const JetFormat& fmt, RowPointer where,
                              uint32_t pageLimit);

}  // namespace velmora::engine::jet
