// Usage maps: sets of page numbers stored as a row on a data page.
//
//   inline (type 0x00):    [0x00][start page u32][bitmap: rest of the row]
//                          bit i (LSB first) = page start + i
//   reference (type 0x01): [0x01][map page u32]... (as many as the row holds); map page k is
//                          a page [0x05][0x01][00 00][bitmap] whose bit i stands for page
//                          k*P + i, P = (page size - 4) * 8: 16 352 pages in Jet 3, 32 736 in
//                          Jet 4. A zero pointer: no page of that range is in the set.
//
// Tables, indexes and long-value columns own maps; page 1 row 0 is the global map, where a set
// bit means the page is free, and pages past the end of the file are marked free too.
//
// Reading goes through decodeUsageMap/readUsageMap; writing is split into the row and the
// bitmap pages, so that the caller decides which pages a reference map takes (page_writer.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/pager.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"

namespace velmora::engine::jet {

namespace usage_map_type {
inline constexpr uint8_t kInline = 0x00;
inline constexpr uint8_t kReference = 0x01;
}  // namespace usage_map_type

struct UsageMap {
    uint8_t type = usage_map_type::kInline;
    uint32_t startPage = 0;          // inline maps
    std::vector<uint32_t> mapPages;  // reference maps: the 0x05 page of each range (0 = none)
    std::vector<uint32_t> pages;     // every page whose bit is set, ascending
    size_t bitmapBits = 0;           // pages the map can describe
    RowPointer location;             // where the map row lives
};

// Where the bitmap of a reference map page starts, and how many pages one such page covers.
inline constexpr size_t kMapPageBitmapStart = 4;
inline uint32_t pagesPerMapPage(const JetFormat& fmt) {
    return uint32_t(fmt.pageSize - kMapPageBitmapStart) * 8;
}
// How many map pages a reference row of `rowLength` bytes can point at.
inline size_t referenceSlots(size_t rowLength) {
    return rowLength < 1 ? 0 : (rowLength - 1) / 4;
}

// Hands out the page a reference map points at.
using MapPageReader = std::function<Result<io::PageRef>(uint32_t page)>;

// Decodes a map row of either type. Pages at or beyond `pageLimit` are not listed (global maps
// mark pages past the end of the file as free), and map pages of ranges that start there are
// not read.
Result<UsageMap> decodeUsageMap(const JetFormat& fmt, Bytes row, const MapPageReader& readPage,
                                uint32_t pageLimit);

// Reads the map whose row `where` points at.
Result<UsageMap> readUsageMap(io::Pager& pager, const JetFormat& fmt, RowPointer where,
                              uint32_t pageLimit);

// The pages a map's bitmap marks: `pages` (any order), plus every page from `allFrom` on
// (how a global map marks the pages past the end of the file).
struct MapBits {
    const std::vector<uint32_t>& pages;
    uint32_t allFrom = UINT32_MAX;
};

// The start page an inline row of `rowLength` bytes needs for `pages`: `preferred` when every
// page fits from there, else the lowest page rounded down to a multiple of 8; nothing when
// the pages span more than the bitmap holds.
std::optional<uint32_t> inlineStartFor(size_t rowLength, uint32_t preferred,
                                       const std::vector<uint32_t>& pages);

// An inline row of `rowLength` bytes from `start`; pages outside its reach are left out.
std::vector<uint8_t> encodeInlineMapRow(size_t rowLength, uint32_t start, const MapBits& bits);

// A reference row of `rowLength` bytes pointing at `mapPages` (one per range, 0 = none);
// 3251 when the row cannot hold that many pointers.
Result<std::vector<uint8_t>> encodeReferenceMapRow(size_t rowLength,
                                                   const std::vector<uint32_t>& mapPages);

// The map page of range `range` of a reference map.
std::vector<uint8_t> encodeMapPage(const JetFormat& fmt, uint32_t range, const MapBits& bits);

}  // namespace velmora::engine::jet
