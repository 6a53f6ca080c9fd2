// Table scans; see table_reader.h.
#include "engine/jet/table_reader.h"

#include <algorithm>
#include <string>
#include <type_traits>

#include "engine/base/error_codes.h"
#include "engine/jet/row_codec.h"
#include "engine/jet/usage_map.h"

namespace velmora::engine::jet {
namespace {

Status atPage(uint32_t page, const Status& s) {
    // Decoders below name their page already; only add it where they could not.
    const std::string& m = s.message();
    if (m.rfind("page ", 0) == 0 || m.rfind("index page ", 0) == 0 || m.rfind("usage map ", 0) == 0)
        return s;
    return s.withContext("page " + std::to_string(page) + ": ");
}

// f(page, bytes) for every data page of the table in the order its usage map lists them,
// each page read once.
template <class F>
Status forEachDataPage(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def, F&& f) {
    RowPointer mapRow = RowPointer::fromU32(def.schema.usedPagesRow);
    VELMORA_ASSIGN_OR_RETURN(UsageMap map, readUsageMap(pager, fmt, mapRow, pager.pageCount()));
    for (uint32_t number : map.pages) {
        VELMORA_ASSIGN_OR_RETURN(io::PageRef page, pager.read(number));
        // Maps may still list pages that were freed or handed to another table.
        if ((*page)[0] != page_type::kData || getU32(*page, fmt.dataOwner) != def.schema.tdefPage)
            continue;
        VELMORA_ASSIGN_OR_RETURN(DataPage dp, decodeDataPage(fmt, number, *page));
        VELMORA_RETURN_IF_ERROR(f(std::move(dp), page));
    }
    return Status::ok();
}

}  // namespace

Result<std::vector<DataPage>> readTableDataPages(io::Pager& pager, const JetFormat& fmt,
                                                 const TableDefinition& def) {
    std::vector<DataPage> pages;
    VELMORA_RETURN_IF_ERROR(
        forEachDataPage(pager, fmt, def, [&](DataPage&& dp, const io::PageRef&) {
            pages.push_back(std::move(dp));
            return Status::ok();
        }));
    return pages;
}

namespace {

// f(image, location) for every live row of the table in stored order, a moved row's image
// read through its pointer; the rows at the slots in `passOver` are left out.
template <class F>
Status forEachRowImage(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                       std::span<const uint32_t> passOver, F&& f) {
    return forEachDataPage(pager, fmt, def, [&](DataPage&& dp, const io::PageRef& page) -> Status {
        for (size_t i = 0; i < dp.slots.size(); ++i) {
            const RowSlot& s = dp.slots[i];
            if (s.isDeleted())
                continue;
            RowLocation loc;
            loc.slot = {dp.number, uint8_t(i)};
            loc.stored = loc.slot;
            if (std::binary_search(passOver.begin(), passOver.end(), loc.slot.toU32()))
                continue;
            Bytes image = Bytes(*page).subspan(s.offset, s.length());
            RowBytes target;
            if (s.isPointer()) {
                if (image.size() < 4)
                    return atPage(dp.number, Status::error(err::kNotADatabase,
                                                           "row " + std::to_string(i) +
                                                               " is a pointer of under 4 bytes"));
                loc.stored = RowPointer::fromU32(getU32(image, 0));
                auto t = readRowSlot(pager, fmt, loc.stored);
                if (!t)
                    return atPage(dp.number, t.status());
                target = std::move(t).value();
                if (target.slot.isPointer() && !target.slot.isDeleted())
                    return atPage(loc.stored.page,
                                  Status::error(err::kNotADatabase,
                                                "a moved row points on to another pointer"));
                image = target.bytes;
            }
            VELMORA_RETURN_IF_ERROR(f(image, loc));
        }
        return Status::ok();
    });
}

// Decodes every live row with `decoder` into `row` (the columns `wanted` marks, for a packed
// row) and hands it to `sink`.
template <class Row, class Sink>
Status decodeRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                  uint16_t codePage, std::span<const uint32_t> passOver, Row& row, Sink&& sink,
                  std::span<const uint8_t> wanted = {}) {
    ValueContext ctx;
    ctx.fmt = &fmt;
    ctx.codePage = codePage;
    ctx.maxLongValueBytes = size_t(pager.pageCount()) * fmt.pageSize;
    ctx.readLongRow = [&](RowPointer where) { return readRowSlot(pager, fmt, where); };
    // Page by page as the map lists them: a table larger than the page cache is read once.
    // Every row is decoded into the same storage.
    RowDecoder decoder(ctx);
    return forEachRowImage(
        pager, fmt, def, passOver, [&](Bytes image, const RowLocation& loc) -> Status {
            Status decoded;
            if constexpr (std::is_same_v<Row, store::PackedRowBuilder>)
                decoded = decoder.decode(def.schema, image, row, wanted);
            else
                decoded = decoder.decode(def.schema, image, row);
            if (!decoded.isOk()) {
                return atPage(loc.stored.page,
                              decoded.withContext("row " + std::to_string(loc.stored.row) + ": "));
            }
            return sink(loc);
        });
}

}  // namespace

Status scanTableRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                     uint16_t codePage, const RowSink& sink, std::span<const uint32_t> passOver) {
    // A sink that keeps the values moves them away.
    store::Row row;
    return decodeRows(pager, fmt, def, codePage, passOver, row,
                      [&](const RowLocation& loc) { return sink(std::move(row), loc); });
}

Status scanTablePackedRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                           uint16_t codePage, const PackedRowSink& sink,
                           std::span<const uint8_t> wanted) {
    store::PackedRowBuilder row;
    return decodeRows(
        pager, fmt, def, codePage, {}, row, [&](const RowLocation& loc) { return sink(row, loc); },
        wanted);
}

Result<TableRows> readTableRows(io::Pager& pager, const JetFormat& fmt, const TableDefinition& def,
                                uint16_t codePage) {
    TableRows out;
    out.rows.reserve(def.rowCount < 1'000'000 ? def.rowCount : 0);
    VELMORA_RETURN_IF_ERROR(
        scanTableRows(pager, fmt, def, codePage, [&](store::Row&& row, const RowLocation& where) {
            out.rows.push_back(std::move(row));
            out.locations.push_back(where);
            return Status::ok();
        }));
    return out;
}

}  // namespace velmora::engine::jet
