// Decoding of data pages and row slots; see data_page.h.
#include "engine/jet/data_page.h"

#include <string>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

Status damaged(uint32_t page, const std::string& what) {
    return Status::error(err::kNotADatabase, "page " + std::to_string(page) + ": " + what);
}

}  // namespace

uint16_t DataPage::computedFreeSpace(const JetFormat& fmt) const {
    size_t tableEnd = fmt.dataRowTable + 2 * slots.size();
    size_t lowest = slots.empty() ? fmt.pageSize : slots.back().offset;
    return lowest > tableEnd ? uint16_t(lowest - tableEnd) : 0;
}

Result<DataPage> decodeDataPage(const JetFormat& fmt, uint32_t number, Bytes page) {
    if (page.size() != fmt.pageSize)
        return damaged(number, "page has the wrong size");
    if (page[0] != page_type::kData)
        return damaged(number, "expected a data page, found page type " + std::to_string(page[0]));
    DataPage dp;
    dp.number = number;
    dp.freeSpace = getU16(page, fmt.dataFreeSpace);
    dp.owner = getU32(page, fmt.dataOwner);
    uint16_t count = getU16(page, fmt.dataRowCount);
    size_t tableEnd = fmt.dataRowTable + 2 * size_t(count);
    if (count > kMaxSlotsPerPage * 4 || tableEnd > page.size())
        return damaged(number, "slot count " + std::to_string(count) + " does not fit the page");
    dp.slots.reserve(count);
    uint32_t end = fmt.pageSize;
    for (uint16_t i = 0; i < count; ++i) {
        RowSlot s;
        s.raw = getU16(page, fmt.dataRowTable + 2 * size_t(i));
        uint32_t offset = s.raw & row_slot::kOffsetMask;
        bool sane = offset >= tableEnd && offset <= end;
        if (!sane) {
            if (!s.isDeleted()) {
                return damaged(number, "row " + std::to_string(i) + " has offset " +
                                           std::to_string(offset) + " outside its page area");
            }
            // A deleted slot with nonsense offsets: keep it, but as an empty range.
            s.offset = s.end = uint16_t(end);
        } else {
            s.offset = uint16_t(offset);
            s.end = uint16_t(end);
            end = offset;
        }
        dp.slots.push_back(s);
    }
    return dp;
}

Result<RowBytes> readRowSlot(io::Pager& pager, const JetFormat& fmt, RowPointer where) {
    VELMORA_ASSIGN_OR_RETURN(io::PageRef page, pager.read(where.page));
    VELMORA_ASSIGN_OR_RETURN(DataPage dp, decodeDataPage(fmt, where.page, *page));
    if (where.row >= dp.slots.size()) {
        return damaged(where.page, "row " + std::to_string(where.row) + " does not exist (" +
                                       std::to_string(dp.slots.size()) + " rows on the page)");
    }
    const RowSlot& s = dp.slots[where.row];
    RowBytes r;
    r.bytes = Bytes(*page).subspan(s.offset, s.length());
    r.page = std::move(page);
    r.slot = s;
    return r;
}

}  // namespace velmora::engine::jet
