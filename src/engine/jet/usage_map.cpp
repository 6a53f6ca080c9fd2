// Decoding of usage maps; see usage_map.h.
#include "engine/jet/usage_map.h"

#include <string>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

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

}  // namespace

Result<UsageMap> decodeInlineUsageMap(Bytes row) {
    if (row.size() < 5 || row[0] != 0x00)
        return Status::error(err::kNotADatabase, "usage map row is not an inline map");
    UsageMap m;
    m.type = 0;
    m.startPage = getU32(row, 1);
    Bytes bitmap = row.subspan(5);
    m.bitmapBits = bitmap.size() * 8;
    collectBits(bitmap, m.startPage, 0xFFFFFFFFu, m.pages);
    return m;
}

Result<UsageMap> readUsageMap(io::Pager& pager, const JetFormat& fmt, RowPointer where,
                              uint32_t pageLimit) {
    auto context = [&](const Status& s) {
        return s.withContext("usage map at page " + std::to_string(where.page) + " row " +
                             std::to_string(where.row) + ": ");
    };
    auto rowResult = readRowSlot(pager, fmt, where);
    if (!rowResult)
        return context(rowResult.status());
    const RowBytes& row = *rowResult;
    if (row.bytes.empty())
        return context(Status::error(err::kNotADatabase, "the map row is empty"));

    UsageMap m;
    m.location = where;
    m.type = row.bytes[0];
    if (m.type == 0x00) {
        if (row.bytes.size() < 5)
            return context(Status::error(err::kNotADatabase, "inline map row is too short"));
        m.startPage = getU32(row.bytes, 1);
        Bytes bitmap = row.bytes.subspan(5);
        m.bitmapBits = bitmap.size() * 8;
        collectBits(bitmap, m.startPage, pageLimit, m.pages);
        return m;
    }
    if (m.type != 0x01) {
        return context(
            Status::error(err::kNotADatabase, "unknown usage map type " + std::to_string(m.type)));
    }
    const uint64_t pagesPerMapPage = uint64_t(fmt.pageSize - 4) * 8;
    for (size_t off = 1; off + 4 <= row.bytes.size(); off += 4) {
        uint32_t mapPage = getU32(row.bytes, off);
        m.mapPages.push_back(mapPage);
        uint64_t base = uint64_t((off - 1) / 4) * pagesPerMapPage;
        m.bitmapBits += pagesPerMapPage;
        if (mapPage == 0 || base >= pageLimit)
            continue;
        auto pageResult = pager.read(mapPage);
        if (!pageResult)
            return context(pageResult.status());
        const auto& bytes = **pageResult;
        if (bytes[0] != page_type::kUsageMap) {
            return context(
                Status::error(err::kNotADatabase, "page " + std::to_string(mapPage) +
                                                      " should be a usage map page but has type " +
                                                      std::to_string(bytes[0])));
        }
        collectBits(Bytes(bytes).subspan(4), base, pageLimit, m.pages);
    }
    return m;
}

}  // namespace velmora::engine::jet
