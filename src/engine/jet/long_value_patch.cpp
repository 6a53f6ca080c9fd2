// Long values changed where they are; see long_value_patch.h.
#include "engine/jet/long_value_patch.h"

#include <algorithm>
#include <set>
#include <string>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/jet/row_image.h"

namespace velmora::engine::jet {
namespace {

std::vector<uint8_t> header(uint32_t length, uint8_t kind, RowPointer where) {
    std::vector<uint8_t> h(long_value::kHeaderSize, 0);
    putU32(h, 0, (length & 0x00FFFFFF) | (uint32_t(kind) << 24));
    putU32(h, 4, where.toU32());
    return h;
}

}  // namespace

const store::LongValueMaps* LongValueEdits::mapsOf(uint16_t column) const {
    for (const store::LongValueMaps& m : m_schema.longValueMaps) {
        if (m.columnNumber == column)
            return &m;
    }
    return nullptr;
}

Result<DataPageEdit*> LongValueEdits::page(uint32_t number) {
    auto it = m_pages.find(number);
    if (it != m_pages.end())
        return &it->second;
    const JetFormat& fmt = m_storage.format();
    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes, m_out.current(m_storage.pager(), number));
    if (bytes[0] != page_type::kData || getU32(bytes, fmt.dataOwner) != kLongValueOwner) {
        return Status::error(err::kNotADatabase, "table " + m_schema.name + ": page " +
                                                     std::to_string(number) +
                                                     " holds none of its long values");
    }
    VELMORA_ASSIGN_OR_RETURN(DataPageEdit edit,
                             DataPageEdit::decode(fmt, number, std::move(bytes)));
    return &m_pages.emplace(number, std::move(edit)).first->second;
}

Result<RowPointer> LongValueEdits::add(uint16_t column, Bytes row) {
    auto [target, first] = m_target.try_emplace(column);
    if (first) {
        // A column with maps goes on filling the page its free-space map lists last: a page in
        // use, written as one whose change this commit needs (invariant 1, jet_database.h).
        if (const store::LongValueMaps* maps = mapsOf(column)) {
            Result<UsageMap> free = m_storage.usageMap(RowPointer::fromU32(maps->freeSpaceRow));
            if (free.isOk() && !free->pages.empty() && page(free->pages.back()).isOk())
                target->second = free->pages.back();
        }
    }
    if (target->second) {
        VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, page(*target->second));
        if (std::optional<uint8_t> slot = edit->add(row))
            return RowPointer{*target->second, *slot};
    }
    const uint32_t number = m_allocator.allocate();
    DataPageEdit& edit =
        m_pages.emplace(number, DataPageEdit::fresh(m_storage.format(), number, kLongValueOwner))
            .first->second;
    m_newPages[column].push_back(number);
    target->second = number;
    std::optional<uint8_t> slot = edit.add(row);
    if (!slot) {
        return Status::error(err::kRecordTooLarge,
                             "table " + m_schema.name + ": a long-value row of " +
                                 std::to_string(row.size()) + " bytes does not fit a page");
    }
    return RowPointer{number, *slot};
}

Result<std::vector<uint8_t>> LongValueEdits::store(const store::ColumnDef& c, Bytes data,
                                                   bool allowInline) {
    const JetFormat& fmt = m_storage.format();
    const auto length = uint32_t(data.size());
    if (allowInline && data.size() <= kMaxInlineLongValue) {
        std::vector<uint8_t> field = header(length, long_value::kInline, {});
        field.insert(field.end(), data.begin(), data.end());
        return field;
    }
    if (data.size() > 0x00FFFFFF) {
        return Status::error(err::kRecordTooLarge,
                             "value of column '" + c.name + "' is too long to store");
    }
    if (data.size() <= maxSingleLongValue(fmt)) {
        VELMORA_ASSIGN_OR_RETURN(RowPointer where, add(c.number, data));
        return header(length, long_value::kSingleRow, where);
    }
    // A chain, written from its end so that each link knows the next one.
    const size_t chunk = longValueChunk(fmt);
    const size_t links = (data.size() + chunk - 1) / chunk;
    RowPointer next{};
    for (size_t k = links; k-- > 0;) {
        const size_t from = k * chunk;
        const size_t n = std::min(chunk, data.size() - from);
        std::vector<uint8_t> row(4 + n);
        putU32(row, 0, k + 1 == links ? 0 : next.toU32());
        std::copy_n(data.begin() + long(from), n, row.begin() + 4);
        VELMORA_ASSIGN_OR_RETURN(next, add(c.number, row));
    }
    return header(length, long_value::kChain, next);
}

Status LongValueEdits::release(const store::ColumnDef& c, Bytes field) {
    if (field.size() < long_value::kHeaderSize)
        return Status::ok();
    const uint8_t kind = field[3];
    if (kind != long_value::kSingleRow && kind != long_value::kChain)
        return Status::ok();
    RowPointer at = RowPointer::fromU32(getU32(field, 4));
    std::set<uint32_t> seen;
    while (at.page != 0 && seen.insert(at.toU32()).second) {
        VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, page(at.page));
        if (at.row >= edit->slotCount() || (edit->flags(at.row) & row_slot::kDeleted) != 0) {
            return Status::error(err::kNotADatabase,
                                 "table " + m_schema.name + ": a long value names row " +
                                     std::to_string(at.row) + " of page " +
                                     std::to_string(at.page) + ", which is not there");
        }
        RowPointer next{};
        if (kind == long_value::kChain) {
            const Bytes link = edit->row(at.row);
            if (link.size() < 4)
                return Status::error(
                    err::kNotADatabase,
                    "table " + m_schema.name + ": a long-value link of under 4 bytes");
            next = RowPointer::fromU32(getU32(link, 0));
        }
        edit->erase(at.row);
        m_freedOn[c.number].insert(at.page);
        at = next;
    }
    return Status::ok();
}

Status LongValueEdits::finish(std::vector<MapUpdate>& maps) {
    const JetFormat& fmt = m_storage.format();
    for (auto it = m_pages.begin(); it != m_pages.end(); it = m_pages.erase(it)) {
        if (it->second.changed())
            VELMORA_RETURN_IF_ERROR(m_out.put(it->first, it->second.render()));
    }
    for (const store::LongValueMaps& m : m_schema.longValueMaps) {
        const auto added = m_newPages.find(m.columnNumber);
        const auto freed = m_freedOn.find(m.columnNumber);
        if (added == m_newPages.end() && freed == m_freedOn.end())
            continue;
        std::vector<uint32_t> touched;
        if (added != m_newPages.end()) {
            VELMORA_ASSIGN_OR_RETURN(UsageMap owned,
                                     m_storage.usageMap(RowPointer::fromU32(m.ownedPagesRow)));
            std::vector<uint32_t> used = owned.pages;
            used.insert(used.end(), added->second.begin(), added->second.end());
            std::sort(used.begin(), used.end());
            maps.push_back({RowPointer::fromU32(m.ownedPagesRow), std::move(used)});
            touched = added->second;
        }
        if (freed != m_freedOn.end())
            touched.insert(touched.end(), freed->second.begin(), freed->second.end());
        // The free-space map keeps what it listed (a page that filled up since costs a look),
        // and gains the pages of this commit with room; the last of them is filled next.
        VELMORA_ASSIGN_OR_RETURN(UsageMap free,
                                 m_storage.usageMap(RowPointer::fromU32(m.freeSpaceRow)));
        std::vector<uint32_t> roomy = free.pages;
        std::vector<uint8_t> image;
        for (uint32_t number : touched) {
            VELMORA_ASSIGN_OR_RETURN(const bool put, m_out.find(number, image));
            if (put && getU16(image, fmt.dataFreeSpace) >= kFreeMapThreshold)
                roomy.push_back(number);
        }
        std::sort(roomy.begin(), roomy.end());
        roomy.erase(std::unique(roomy.begin(), roomy.end()), roomy.end());
        maps.push_back({RowPointer::fromU32(m.freeSpaceRow), std::move(roomy)});
    }
    return Status::ok();
}

}  // namespace velmora::engine::jet
