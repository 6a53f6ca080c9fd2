// Decoding and encoding of usage maps; see usage_map.h.
#include "engine/jet/usage_map.h"

#include <algorithm>
#include <string>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

constexpr size_t kInlineBitmapStart = 5;

void collectBits(Bytes bitmap, uint64_t base, uint32_t pageLimit, std::vector<uint32_t>& out) {
    for (size_t i = 0; i < bitmap.size(); ++i) {
        uint8_t b = bitmap[i];
        if (b == 0)
            continue;
        for (int bit = 0; bit < 8; ++bit) {
            if (b & (1u << bit)) {
                uint64_t page = base + i * 8 + uint64_t(bit);
                if (page < pageLimit)
                    out.push_back(uint32_t(page));
            }
        }
    }
}

// Sets the bits of `bits` that fall into the bitmap covering pages base .. base + size*8 - 1.
void fillBits(MutableBytes bitmap, uint64_t base, const MapBits& bits) {
    const uint64_t end = base + uint64_t(bitmap.size()) * 8;
    for (uint32_t p : bits.pages) {
        if (p >= base && p < end)
            bitmap[(p - base) / 8] |= uint8_t(1u << ((p - base) % 8));
    }
    for (uint64_t p = std::max<uint64_t>(base, bits.allFrom); p < end; ++p)
        bitmap[(p - base) / 8] |= uint8_t(1u << ((p - base) % 8));
}

Status damaged(const std::string& what) {
    return Status::error(err::kNotADatabase, what);
}

}  // namespace

Result<UsageMap> decodeUsageMap(const JetFormat& fmt, Bytes row, const MapPageReader& readPage,
                                uint32_t pageLimit) {
    if (row.empty())
        return damaged("the map row is empty");
    UsageMap m;
    m.type = row[0];
    if (m.type == usage_map_type::kInline) {
        if (row.size() < kInlineBitmapStart)
            return damaged("inline map row is too short");
        m.startPage = getU32(row, 1);
        Bytes bitmap = row.subspan(kInlineBitmapStart);
        m.bitmapBits = bitmap.size() * 8;
        collectBits(bitmap, m.startPage, pageLimit, m.pages);
        return m;
    }
    if (m.type != usage_map_type::kReference)
        return damaged("unknown usage map type " + std::to_string(m.type));
    const uint64_t perPage = pagesPerMapPage(fmt);
    for (size_t k = 0; k < referenceSlots(row.size()); ++k) {
        const uint32_t mapPage = getU32(row, 1 + 4 * k);
        const uint64_t base = k * perPage;
        m.mapPages.push_back(mapPage);
        m.bitmapBits += perPage;
        if (mapPage == 0 || base >= pageLimit)
            continue;
        VELMORA_ASSIGN_OR_RETURN(io::PageRef page, readPage(mapPage));
        const std::vector<uint8_t>& bytes = *page;
        if (bytes.size() != fmt.pageSize || bytes[0] != page_type::kUsageMap) {
            return damaged("page " + std::to_string(mapPage) +
                           " should be a usage map page but has type " + std::to_string(bytes[0]));
        }
        collectBits(Bytes(bytes).subspan(kMapPageBitmapStart), base, pageLimit, m.pages);
    }
    return m;
}

Result<UsageMap> readUsageMap(io::Pager& pager, const JetFormat& fmt, RowPointer where,
                              uint32_t pageLimit) {
    auto context = [&](const Status& s) {
        return s.withContext("usage map at page " + std::to_string(where.page) + " row " +
                             std::to_string(where.row) + ": ");
    };
    auto row = readRowSlot(pager, fmt, where);
    if (!row)
        return context(row.status());
    auto map = decodeUsageMap(
        fmt, row->bytes, [&](uint32_t page) { return pager.read(page); }, pageLimit);
    if (!map)
        return context(map.status());
    map->location = where;
    return map;
}

std::optional<uint32_t> inlineStartFor(size_t rowLength, uint32_t preferred,
                                       const std::vector<uint32_t>& pages) {
    const uint64_t bits = rowLength > kInlineBitmapStart ? (rowLength - kInlineBitmapStart) * 8 : 0;
    if (pages.empty())
        return preferred;
    const auto [lo, hi] = std::minmax_element(pages.begin(), pages.end());
    if (*lo >= preferred && uint64_t(*hi) - preferred < bits)
        return preferred;
    // Access and Jackcess keep the start on a multiple of 8, so whole bytes of the bitmap
    // stand for whole groups of pages.
    const uint32_t start = *lo & ~7u;
    if (uint64_t(*hi) - start < bits)
        return start;
    return std::nullopt;
}

std::vector<uint8_t> encodeInlineMapRow(size_t rowLength, uint32_t start, const MapBits& bits) {
    std::vector<uint8_t> row(std::max(rowLength, kInlineBitmapStart), 0);
    row[0] = usage_map_type::kInline;
    putU32(row, 1, start);
    fillBits(MutableBytes(row).subspan(kInlineBitmapStart), start, bits);
    return row;
}

Result<std::vector<uint8_t>> encodeReferenceMapRow(size_t rowLength,
                                                   const std::vector<uint32_t>& mapPages) {
    size_t used = mapPages.size();
    while (used > 0 && mapPages[used - 1] == 0)
        --used;
    if (used > referenceSlots(rowLength)) {
        return Status::error(err::kOperationNotSupported,
                             "a usage map row of " + std::to_string(rowLength) +
                                 " bytes cannot point at " + std::to_string(used) + " map pages");
    }
    std::vector<uint8_t> row(rowLength, 0);
    row[0] = usage_map_type::kReference;
    for (size_t k = 0; k < used; ++k)
        putU32(row, 1 + 4 * k, mapPages[k]);
    return row;
}

std::vector<uint8_t> encodeMapPage(const JetFormat& fmt, uint32_t range, const MapBits& bits) {
    std::vector<uint8_t> page(fmt.pageSize, 0);
    page[0] = page_type::kUsageMap;
    page[1] = 0x01;
    fillBits(MutableBytes(page).subspan(kMapPageBitmapStart),
             uint64_t(range) * pagesPerMapPage(fmt), bits);
    return page;
}

}  // namespace velmora::engine::jet
