// Page allocation, data page packing and usage map rows; see page_writer.h.
#include "engine/jet/page_writer.h"

#include <algorithm>
#include <optional>
#include <string>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {

PageAllocator::PageAllocator(uint32_t pageCount, const std::vector<uint32_t>& freeInOld)
    : m_oldCount(pageCount), m_newCount(pageCount) {
    for (uint32_t p : freeInOld) {
        // Page 0 (header) and page 1 (global map) are never free, whatever a map says.
        if (p >= 2 && p < pageCount) {
            m_free.insert(p);
            m_freeInOld.insert(p);
        }
    }
}

PageAllocator PageAllocator::forGlobalMap(uint32_t pageCount, const UsageMap& global) {
    PageAllocator a(pageCount, global.pages);
    for (uint32_t p : global.mapPages) {
        a.m_free.erase(p);
        a.m_freeInOld.erase(p);
    }
    return a;
}

uint32_t PageAllocator::allocate() {
    uint32_t page;
    if (!m_free.empty()) {
        page = *m_free.begin();
        m_free.erase(m_free.begin());
    } else {
        page = m_newCount++;
    }
    m_allocated.insert(page);
    return page;
}

uint32_t PageAllocator::allocateAfter(uint32_t page) {
    auto it = m_free.upper_bound(page);
    uint32_t taken;
    if (it != m_free.end()) {
        taken = *it;
        m_free.erase(it);
    } else {
        taken = m_newCount++;
    }
    m_allocated.insert(taken);
    return taken;
}

void PageAllocator::release(uint32_t page) {
    if (m_allocated.count(page) == 0)
        m_released.insert(page);
}

std::vector<uint32_t> PageAllocator::freePagesAfter() const {
    std::vector<uint32_t> out;
    for (uint32_t p = 2; p < m_newCount; ++p) {
        bool wasFree = m_freeInOld.count(p) != 0 || p >= m_oldCount;
        bool free = (wasFree || m_released.count(p) != 0) && m_allocated.count(p) == 0;
        if (free)
            out.push_back(p);
    }
    return out;
}

void DataPageBuilder::startPage() {
    PageImage img;
    img.number = m_allocator.allocate();
    img.bytes.assign(m_fmt.pageSize, 0);
    img.bytes[0] = page_type::kData;
    img.bytes[1] = 0x01;
    putU32(img.bytes, m_fmt.dataOwner, m_owner);
    putU16(img.bytes, m_fmt.dataFreeSpace, uint16_t(m_fmt.pageSize - m_fmt.dataRowTable));
    m_pages.push_back(std::move(img));
    m_slots = 0;
    m_lowest = uint16_t(m_fmt.pageSize);
}

size_t DataPageBuilder::roomOnCurrentPage() const {
    if (m_pages.empty() || m_slots >= kMaxSlotsPerPage)
        return 0;
    size_t tableEnd = m_fmt.dataRowTable + 2 * size_t(m_slots);
    return m_lowest - tableEnd;
}

RowPointer DataPageBuilder::add(Bytes row) {
    if (roomOnCurrentPage() < row.size() + 2)
        startPage();
    PageImage& img = m_pages.back();
    auto offset = uint16_t(m_lowest - row.size());
    std::copy(row.begin(), row.end(), img.bytes.begin() + offset);
    putU16(img.bytes, m_fmt.dataRowTable + 2 * size_t(m_slots), offset);
    ++m_slots;
    m_lowest = offset;
    putU16(img.bytes, m_fmt.dataRowCount, m_slots);
    size_t tableEnd = m_fmt.dataRowTable + 2 * size_t(m_slots);
    putU16(img.bytes, m_fmt.dataFreeSpace, uint16_t(m_lowest - tableEnd));
    return RowPointer{img.number, uint8_t(m_slots - 1)};
}

Result<DataPageEdit> DataPageEdit::decode(const JetFormat& fmt, uint32_t number,
                                          std::vector<uint8_t> page) {
    VELMORA_ASSIGN_OR_RETURN(DataPage dp, decodeDataPage(fmt, number, page));
    DataPageEdit e(fmt);
    e.m_number = number;
    e.m_slots.reserve(dp.slots.size());
    for (const RowSlot& s : dp.slots) {
        Slot slot;
        slot.flags = s.raw & uint16_t(~row_slot::kOffsetMask);
        slot.from = s.offset;
        slot.length = s.length();
        e.m_rowBytes += slot.length;
        e.m_slots.push_back(slot);
    }
    e.m_page = std::move(page);
    return e;
}

DataPageEdit DataPageEdit::fresh(const JetFormat& fmt, uint32_t number, uint32_t owner) {
    DataPageEdit e(fmt);
    e.m_number = number;
    e.m_page.assign(fmt.dataRowTable, 0);
    e.m_page[0] = page_type::kData;
    e.m_page[1] = 0x01;
    putU32(e.m_page, fmt.dataOwner, owner);
    e.m_changed = true;
    return e;
}

Bytes DataPageEdit::row(size_t slot) const {
    const Slot& s = m_slots[slot];
    return Bytes(s.held ? m_held : m_page).subspan(s.from, s.length);
}

void DataPageEdit::hold(Slot& slot, Bytes row) {
    m_rowBytes = m_rowBytes - slot.length + row.size();
    const size_t at = holdRoom(row.size());
    std::copy(row.begin(), row.end(), m_held.begin() + long(at));
    slot.held = true;
    slot.from = uint32_t(at);
    slot.length = uint32_t(row.size());
}

size_t DataPageEdit::holdRoom(size_t n) {
    // Room for a page's worth of rows at the first: a page whose rows all change (a whole
    // table renumbered) then holds them without growing the buffer row by row.
    if (m_held.capacity() == 0)
        m_held.reserve(m_fmt->pageSize);
    const size_t at = m_held.size();
    m_held.resize(at + n);
    return at;
}

size_t DataPageEdit::room() const {
    const size_t used = m_fmt->dataRowTable + 2 * m_slots.size() + m_rowBytes;
    return used < m_fmt->pageSize ? m_fmt->pageSize - used : 0;
}

bool DataPageEdit::replace(size_t slot, Bytes row, uint16_t flags) {
    // A row set to the values it has leaves its page as it is.
    if (flags == m_slots[slot].flags && std::ranges::equal(row, this->row(slot)))
        return true;
    const size_t old = m_slots[slot].length;
    if (row.size() > old && row.size() - old > room())
        return false;
    hold(m_slots[slot], row);
    m_slots[slot].flags = flags;
    m_changed = true;
    return true;
}

void DataPageEdit::erase(size_t slot) {
    hold(m_slots[slot], {});
    m_slots[slot].flags = row_slot::kDeleted;
    m_changed = true;
}

std::optional<uint8_t> DataPageEdit::add(Bytes row, uint16_t flags) {
    if (m_slots.size() >= kMaxSlotsPerPage || row.size() + 2 > room())
        return std::nullopt;
    Slot& slot = m_slots.emplace_back();
    slot.flags = flags;
    hold(slot, row);
    m_changed = true;
    return uint8_t(m_slots.size() - 1);
}

std::vector<uint8_t> DataPageEdit::render() const {
    std::vector<uint8_t> out(m_fmt->pageSize, 0);
    std::copy_n(m_page.begin(), m_fmt->dataRowTable, out.begin());
    const size_t tableEnd = m_fmt->dataRowTable + 2 * m_slots.size();
    size_t end = m_fmt->pageSize;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const Bytes bytes = row(i);
        const size_t start = end - bytes.size();
        std::copy(bytes.begin(), bytes.end(), out.begin() + long(start));
        putU16(out, m_fmt->dataRowTable + 2 * i, uint16_t(m_slots[i].flags | start));
        end = start;
    }
    putU16(out, m_fmt->dataRowCount, uint16_t(m_slots.size()));
    putU16(out, m_fmt->dataFreeSpace, uint16_t(end - tableEnd));
    return out;
}

Result<std::vector<uint8_t>> replaceRowOnPage(const JetFormat& fmt, Bytes page, uint32_t number,
                                              size_t slot, Bytes row) {
    VELMORA_ASSIGN_OR_RETURN(DataPage dp, decodeDataPage(fmt, number, page));
    if (slot >= dp.slots.size()) {
        return Status::error(err::kNotADatabase, "page " + std::to_string(number) + ": row " +
                                                     std::to_string(slot) + " does not exist");
    }
    std::vector<uint8_t> out(page.begin(), page.end());
    size_t tableEnd = fmt.dataRowTable + 2 * dp.slots.size();
    std::fill(out.begin() + long(tableEnd), out.end(), 0);
    size_t end = fmt.pageSize;
    for (size_t i = 0; i < dp.slots.size(); ++i) {
        Bytes content = i == slot ? row : page.subspan(dp.slots[i].offset, dp.slots[i].length());
        if (content.size() + tableEnd > end) {
            return Status::error(err::kRecordTooLarge, "page " + std::to_string(number) +
                                                           " has no room for a row of " +
                                                           std::to_string(row.size()) + " bytes");
        }
        size_t start = end - content.size();
        std::copy(content.begin(), content.end(), out.begin() + long(start));
        uint16_t flags = dp.slots[i].raw & uint16_t(~row_slot::kOffsetMask);
        putU16(out, fmt.dataRowTable + 2 * i, uint16_t(flags | start));
        end = start;
    }
    putU16(out, fmt.dataFreeSpace, uint16_t(end - tableEnd));
    return out;
}

namespace {

// Whether the old map's pointer for range `k` names a map page the reader checked: inside the
// old file, for a range that starts inside it (decodeUsageMap reads only those).
bool keepsMapPage(const JetFormat& fmt, const UsageMap& old, size_t k, uint32_t oldPageCount) {
    return k < old.mapPages.size() && old.mapPages[k] != 0 && old.mapPages[k] < oldPageCount &&
           uint64_t(k) * pagesPerMapPage(fmt) < oldPageCount;
}

}  // namespace

Result<std::vector<uint8_t>> encodeUsageMapRow(const JetFormat& fmt, size_t rowLength,
                                               const UsageMap& old,
                                               const std::vector<uint32_t>& pages,
                                               PageAllocator& allocator,
                                               std::vector<PageImage>& mapPages) {
    if (rowLength < 5)
        return Status::error(err::kNotADatabase, "usage map row of under 5 bytes");
    if (old.type == usage_map_type::kInline) {
        if (std::optional<uint32_t> start = inlineStartFor(rowLength, old.startPage, pages))
            return encodeInlineMapRow(rowLength, *start, MapBits{pages});
    }
    // A reference map: one map page for each range of pagesPerMapPage() pages that holds one.
    const uint32_t perPage = pagesPerMapPage(fmt);
    std::set<uint32_t> ranges;
    for (uint32_t p : pages)
        ranges.insert(p / perPage);
    const size_t rangeCount = ranges.empty() ? 0 : size_t(*ranges.rbegin()) + 1;
    if (rangeCount > referenceSlots(rowLength)) {
        return Status::error(err::kOperationNotSupported,
                             "a usage map row of " + std::to_string(rowLength) +
                                 " bytes cannot reach page " + std::to_string(*ranges.rbegin()));
    }
    std::vector<uint32_t> pointers(std::max(rangeCount, old.mapPages.size()), 0);
    for (size_t k = 0; k < pointers.size(); ++k) {
        const bool kept = keepsMapPage(fmt, old, k, allocator.oldPageCount());
        if (ranges.count(uint32_t(k)) == 0) {
            if (kept)
                allocator.release(old.mapPages[k]);
            continue;
        }
        pointers[k] = kept ? old.mapPages[k] : allocator.allocate();
        mapPages.push_back({pointers[k], encodeMapPage(fmt, uint32_t(k), MapBits{pages})});
    }
    return encodeReferenceMapRow(rowLength, pointers);
}

std::vector<uint8_t> encodeGlobalMapRow(const std::vector<uint32_t>& freePages, uint32_t pageCount,
                                        size_t minLength) {
    const size_t length = std::max<size_t>(minLength, 5 + (size_t(pageCount) + 7) / 8);
    return encodeInlineMapRow(length, 0, MapBits{freePages, pageCount});
}

Result<std::vector<uint8_t>> encodeGlobalMap(const JetFormat& fmt, const UsageMap& old,
                                             size_t rowLength, size_t maxRowLength,
                                             PageAllocator& allocator,
                                             std::vector<PageImage>& mapPages) {
    if (old.type == usage_map_type::kInline) {
        if (old.startPage != 0) {
            return Status::error(err::kOperationNotSupported,
                                 "the global usage map starts at page " +
                                     std::to_string(old.startPage) + ", not at page 0");
        }
        std::vector<uint8_t> row =
            encodeGlobalMapRow(allocator.freePagesAfter(), allocator.newPageCount(), rowLength);
        if (row.size() <= maxRowLength)
            return row;
        // No bitmap on page 1 reaches the file's end any more: from here on the map is a
        // reference map, whose map pages are all taken below (old lists none).
    }
    // Every range the file reaches needs its map page; taking one may append a page that
    // reaches the next range, hence the count is read again on every turn.
    const uint32_t perPage = pagesPerMapPage(fmt);
    std::vector<uint32_t> pointers = old.mapPages;
    for (size_t k = 0; uint64_t(k) * perPage < allocator.newPageCount(); ++k) {
        if (k >= pointers.size())
            pointers.resize(k + 1, 0);
        if (!keepsMapPage(fmt, old, k, allocator.oldPageCount()))
            pointers[k] = allocator.allocate();
    }
    const std::vector<uint32_t> freePages = allocator.freePagesAfter();
    const uint32_t pageCount = allocator.newPageCount();
    for (size_t k = 0; uint64_t(k) * perPage < pageCount; ++k) {
        mapPages.push_back(
            {pointers[k], encodeMapPage(fmt, uint32_t(k), MapBits{freePages, pageCount})});
    }
    return encodeReferenceMapRow(rowLength, pointers);
}

}  // namespace velmora::engine::jet
