// Rewriting a changed table; see table_writer.h.
#include "engine/jet/table_writer.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/jet/index_builder.h"
#include "engine/jet/index_key.h"
#include "engine/jet/row_codec.h"
#include "engine/jet/row_image.h"
#include "engine/jet/stored_keys.h"
#include "engine/jet/table_patch.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::TableSchema;

Status designChanged(const std::string& table, const std::string& what) {
    return Status::error(
        err::kOperationNotSupported,
        "table '" + table + "': changing its design (" + what + ") cannot be written yet");
}

// The writer keeps the stored definition and only patches counters, so the in-memory design
// must still be the stored one.
Status checkSameDesign(const TableSchema& stored, const TableSchema& mem) {
    if (stored.columns.size() != mem.columns.size() || stored.maxColumns != mem.maxColumns ||
        stored.variableColumns != mem.variableColumns)
        return designChanged(mem.name, "columns");
    for (size_t i = 0; i < stored.columns.size(); ++i) {
        const ColumnDef& a = stored.columns[i];
        const ColumnDef& b = mem.columns[i];
        if (a.number != b.number || a.type != b.type || a.flags != b.flags ||
            a.variableSlot != b.variableSlot || a.fixedOffset != b.fixedOffset ||
            a.length != b.length || a.extendedFlags != b.extendedFlags ||
            a.sortOrder != b.sortOrder || a.sortVersion != b.sortVersion || a.scale != b.scale)
            return designChanged(mem.name, "column '" + b.name + "'");
    }
    if (stored.realIndexes.size() != mem.realIndexes.size() ||
        stored.logicalIndexes.size() != mem.logicalIndexes.size())
        return designChanged(mem.name, "indexes");
    for (size_t i = 0; i < stored.realIndexes.size(); ++i) {
        const auto& a = stored.realIndexes[i];
        const auto& b = mem.realIndexes[i];
        if (a.flags != b.flags || a.rootPage != b.rootPage || a.usageMapRow != b.usageMapRow ||
            a.columns.size() != b.columns.size())
            return designChanged(mem.name, "indexes");
        for (size_t k = 0; k < a.columns.size(); ++k) {
            if (a.columns[k].columnNumber != b.columns[k].columnNumber ||
                a.columns[k].ascending != b.columns[k].ascending)
                return designChanged(mem.name, "indexes");
        }
    }
    if (stored.usedPagesRow != mem.usedPagesRow || stored.freePagesRow != mem.freePagesRow)
        return designChanged(mem.name, "usage maps");
    return Status::ok();
}

std::vector<uint8_t> longValueHeader(uint32_t length, uint8_t kind, RowPointer where) {
    std::vector<uint8_t> h(12, 0);
    putU32(h, 0, (length & 0x00FFFFFF) | (uint32_t(kind) << 24));
    putU32(h, 4, where.toU32());
    return h;
}

// Long values of one table: LVAL pages per column that has its own maps, and one shared set
// for columns without maps.
class LongValueStore {
public:
    LongValueStore(const JetFormat& fmt, PageAllocator& allocator)
        : m_fmt(fmt), m_allocator(allocator) {}

    DataPageBuilder& builderFor(uint16_t columnNumber) {
        auto it = m_builders.find(columnNumber);
        if (it == m_builders.end()) {
            it = m_builders
                     .emplace(columnNumber, std::make_unique<DataPageBuilder>(
                                                m_fmt, kLongValueOwner, m_allocator))
                     .first;
        }
        return *it->second;
    }

    // The row field of one value: inline when allowed and small, else LVAL rows.
    Result<std::vector<uint8_t>> store(const ColumnDef& c, std::vector<uint8_t> data,
                                       bool allowInline) {
        auto length = uint32_t(data.size());
        if (allowInline && data.size() <= kMaxInlineLongValue) {
            std::vector<uint8_t> field = longValueHeader(length, long_value::kInline, {});
            field.insert(field.end(), data.begin(), data.end());
            return field;
        }
        if (data.size() > 0x00FFFFFF) {
            return Status::error(err::kRecordTooLarge,
                                 "value of column '" + c.name + "' is too long to store");
        }
        DataPageBuilder& b = builderFor(c.number);
        if (data.size() <= maxSingleLongValue(m_fmt)) {
            RowPointer where = b.add(data);
            return longValueHeader(length, long_value::kSingleRow, where);
        }
        // A chain, written from its end so that each link knows the next one.
        std::vector<std::pair<size_t, size_t>> chunks;
        const size_t chunk = longValueChunk(m_fmt);
        for (size_t pos = 0; pos < data.size(); pos += chunk)
            chunks.emplace_back(pos, std::min(chunk, data.size() - pos));
        RowPointer next{};
        bool hasNext = false;
        for (size_t k = chunks.size(); k-- > 0;) {
            std::vector<uint8_t> row(4 + chunks[k].second);
            putU32(row, 0, hasNext ? next.toU32() : 0);
            std::copy_n(data.begin() + long(chunks[k].first), chunks[k].second, row.begin() + 4);
            next = b.add(row);
            hasNext = true;
        }
        return longValueHeader(length, long_value::kChain, next);
    }

    std::map<uint16_t, std::unique_ptr<DataPageBuilder>>& builders() { return m_builders; }

private:
    const JetFormat& m_fmt;
    PageAllocator& m_allocator;
    std::map<uint16_t, std::unique_ptr<DataPageBuilder>> m_builders;
};

std::vector<uint32_t> pageNumbers(const std::vector<PageImage>& pages) {
    std::vector<uint32_t> out;
    out.reserve(pages.size());
    for (const PageImage& p : pages)
        out.push_back(p.number);
    return out;
}

}  // namespace

Status releaseUnmappedLongValuePages(JetStorage& storage, const TableSchema& stored,
                                     const std::vector<DataPage>& data, PageAllocator& allocator) {
    const JetFormat& fmt = storage.format();
    std::vector<size_t> columns;
    for (size_t i = 0; i < stored.columns.size(); ++i) {
        const ColumnDef& c = stored.columns[i];
        bool mapped =
            std::any_of(stored.longValueMaps.begin(), stored.longValueMaps.end(),
                        [&](const store::LongValueMaps& m) { return m.columnNumber == c.number; });
        if (c.isLongValue() && !mapped)
            columns.push_back(i);
    }
    if (columns.empty())
        return Status::ok();
    io::Pager& pager = storage.pager();
    // The LVAL rows the stored values of those columns use, by page.
    std::map<uint32_t, std::set<uint8_t>> used;
    for (const DataPage& dp : data) {
        VELMORA_ASSIGN_OR_RETURN(io::PageRef page, pager.read(dp.number));
        for (const RowSlot& slot : dp.slots) {
            if (slot.isDeleted() || slot.isPointer() || slot.length() == 0)
                continue;
            VELMORA_ASSIGN_OR_RETURN(
                std::vector<RowField> fields,
                crackRow(fmt, stored, Bytes(*page).subspan(slot.offset, slot.length())));
            for (size_t i : columns) {
                const RowField& f = fields[i];
                if (!f.present || f.data.size() < long_value::kHeaderSize)
                    continue;
                const uint8_t kind = f.data[3];
                RowPointer at = RowPointer::fromU32(getU32(f.data, 4));
                if (kind == long_value::kSingleRow) {
                    used[at.page].insert(at.row);
                    continue;
                }
                // A chain: every link, stopping at a row already seen (a damaged loop).
                while (kind == long_value::kChain && at.page != 0 &&
                       used[at.page].insert(at.row).second) {
                    VELMORA_ASSIGN_OR_RETURN(RowBytes link, readRowSlot(pager, fmt, at));
                    if (link.bytes.size() < 4)
                        break;
                    at = RowPointer::fromU32(getU32(link.bytes, 0));
                }
            }
        }
    }
    for (const auto& [number, rows] : used) {
        if (number >= pager.pageCount())
            continue;
        VELMORA_ASSIGN_OR_RETURN(io::PageRef page, pager.read(number));
        if ((*page)[0] != page_type::kData || getU32(*page, fmt.dataOwner) != kLongValueOwner)
            continue;
        VELMORA_ASSIGN_OR_RETURN(DataPage lval, decodeDataPage(fmt, number, *page));
        bool onlyThese = true;
        for (size_t k = 0; k < lval.slots.size(); ++k)
            onlyThese = onlyThese && (lval.slots[k].isDeleted() || rows.count(uint8_t(k)) != 0);
        if (onlyThese)
            allocator.release(number);
    }
    return Status::ok();
}

namespace {

// Check keys. The keys the file holds are checked against ours before anything is planned
// (once a session, stored_keys.h). When every index can be encoded, the check waits for the
// keys placeRows() builds anyway (true is returned): rows unchanged since they were read then
// need not be read again. Should anything fail before, the whole check runs first all the
// same, so its refusal still comes before any other.
Result<bool> checkKeysFirst(JetStorage& storage, const TableSchema& schema, KeyFormat keyFormat) {
    const bool pending = !storage.keysMatchOurs(schema.tdefPage) && !schema.realIndexes.empty() &&
                         std::all_of(schema.realIndexes.begin(), schema.realIndexes.end(),
                                     [&](const store::RealIndex& ix) {
                                         return checkIndexEncodable(schema, ix, keyFormat).isOk();
                                     });
    if (!pending)
        VELMORA_RETURN_IF_ERROR(checkStoredKeys(storage, schema.name));
    for (const store::RealIndex& ix : schema.realIndexes) {
        VELMORA_RETURN_IF_ERROR(
            checkIndexEncodable(schema, ix, keyFormat).withContext("table " + schema.name + ": "));
    }
    return pending;
}

// What placing the rows of a rewritten table gives.
struct PlacedRows {
    PlacedRows(const JetFormat& fmt, uint32_t owner, PageAllocator& allocator, size_t indexes)
        : data(fmt, owner, allocator),
          longValues(fmt, allocator),
          keys(indexes),
          keyFailures(indexes),
          unchangedKeys(indexes) {}

    DataPageBuilder data;
    LongValueStore longValues;
    std::vector<IndexKeyList> keys;
    std::vector<Status> keyFailures;  // a key that could not be built, index by index
    // For the pending key check: rows read from the file with their index values unchanged,
    // and the number of each one's key in every index's list.
    std::vector<uint32_t> unchangedSlots;
    std::vector<std::vector<uint32_t>> unchangedKeys;
    RowPlaces places;
};

// The pages the table holds now go back to the allocator: data pages, LVAL pages of its
// columns (found through their maps, or through the rows for columns without maps).
Status releaseTablePages(JetStorage& storage, const TableDefinition& def,
                         PageAllocator& allocator) {
    const JetFormat& fmt = storage.format();
    const TableSchema& schema = def.schema;
    VELMORA_ASSIGN_OR_RETURN(std::vector<DataPage> oldData, storage.tableDataPages(schema.name));
    for (const DataPage& dp : oldData)
        allocator.release(dp.number);
    for (const store::LongValueMaps& m : schema.longValueMaps) {
        VELMORA_ASSIGN_OR_RETURN(UsageMap owned,
                                 storage.usageMap(RowPointer::fromU32(m.ownedPagesRow)));
        for (uint32_t p : owned.pages) {
            VELMORA_ASSIGN_OR_RETURN(io::PageRef page, storage.pager().read(p));
            if ((*page)[0] == page_type::kData && getU32(*page, fmt.dataOwner) == kLongValueOwner)
                allocator.release(p);
        }
    }
    return releaseUnmappedLongValuePages(storage, schema, oldData, allocator)
        .withContext("table " + schema.name + ": ");
}

// Place rows. Rows and their long values onto fresh pages, and every row's key for each index,
// in one pass over the rows. A key that cannot be built is noted for its index and reported
// once the rows are placed.
Status placeRows(const JetFormat& fmt, uint16_t codePage, const store::Table& table,
                 bool keysPending, PlacedRows& out) {
    const TableSchema& schema = table.schema();
    const KeyFormat keyFormat = fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
    for (IndexKeyList& list : out.keys)
        list.reserve(table.liveRowCount());
    out.places.whole = true;
    out.places.rows.reserve(table.liveRowCount());
    Status failure;
    // Small long values stay inline unless that makes the row too large. The first encoding
    // keeps small values inline and only notes larger ones; when the row has none, or it
    // fits, that image is final, and only rows with a value for LVAL pages are encoded again.
    bool needsPages = false;
    const LongValueSink inlineFirst = [&](const ColumnDef& c, std::vector<uint8_t> bytes) {
        if (bytes.size() <= kMaxInlineLongValue)
            return out.longValues.store(c, std::move(bytes), true);
        needsPages = true;
        return Result<std::vector<uint8_t>>(std::vector<uint8_t>(12, 0));
    };
    bool allowInline = true;
    const LongValueSink toPages = [&](const ColumnDef& c, std::vector<uint8_t> bytes) {
        return out.longValues.store(c, std::move(bytes), allowInline);
    };
    std::vector<uint32_t> rowKeys(out.keys.size());
    RowEncoder encoder(fmt, codePage, schema);
    table.forEachLive([&](store::RowId id, const store::Row& row) {
        if (!failure.isOk())
            return;
        needsPages = false;
        Result<Bytes> image = encoder.encode(row, inlineFirst);
        if (needsPages || !image.isOk()) {
            allowInline = image.isOk();
            image = encoder.encode(row, toPages);
        }
        if (!image.isOk()) {
            failure = image.status().withContext("table " + schema.name + ": ");
            return;
        }
        const RowPointer where = out.data.add(*image);
        out.places.rows.emplace_back(id, where.toU32());
        // Whether this row's key stands for its stored row's in every index.
        bool unchanged = keysPending && table.storedAt(id) != 0;
        for (size_t ix = 0; ix < out.keys.size(); ++ix) {
            const store::RealIndex& index = schema.realIndexes[ix];
            if (!out.keyFailures[ix].isOk() ||
                (index.ignoresNulls() && allKeyColumnsNull(schema, index, row))) {
                unchanged = false;
                continue;
            }
            rowKeys[ix] = uint32_t(out.keys[ix].size());
            Status added = out.keys[ix].add(schema, index, row, keyFormat, where);
            if (!added.isOk()) {
                out.keyFailures[ix] = added.withContext("table " + schema.name + ": ");
                unchanged = false;
            }
        }
        if (unchanged) {
            out.unchangedSlots.push_back(table.storedAt(id));
            for (size_t ix = 0; ix < out.keys.size(); ++ix)
                out.unchangedKeys[ix].push_back(rowKeys[ix]);
        }
    });
    return failure;
}

// The pending key check, with the keys placeRows() built for the unchanged rows when every
// row got its keys; leaves the pages of the trees it read in `checkedTrees`.
Status finishKeyCheck(JetStorage& storage, const store::Table& table, const Status& placed,
                      PlacedRows& rows, std::vector<std::vector<uint32_t>>& checkedTrees) {
    const bool allKeys =
        placed.isOk() && std::all_of(rows.keyFailures.begin(), rows.keyFailures.end(),
                                     [](const Status& s) { return s.isOk(); });
    UnchangedRowKeys unchanged;
    if (allKeys) {
        // Every row read is still there as it was read: no stored row is left to read.
        unchanged.everyStoredRow = rows.unchangedSlots.size() == table.storedRowCount();
        unchanged.slots = std::move(rows.unchangedSlots);
        unchanged.keys.resize(rows.keys.size());
        for (size_t ix = 0; ix < rows.keys.size(); ++ix) {
            unchanged.keys[ix].reserve(rows.unchangedKeys[ix].size());
            for (uint32_t k : rows.unchangedKeys[ix])
                unchanged.keys[ix].push_back(rows.keys[ix].key(k));
        }
    }
    return checkStoredKeys(storage, table.schema().name, allKeys ? &unchanged : nullptr,
                           &checkedTrees);
}

// The data and long-value pages move to the commit (each page is held once), with the maps
// that list them.
Status takeRowPages(const JetFormat& fmt, const TableSchema& schema, PlacedRows& rows,
                    CommitPages& out, std::vector<MapUpdate>& maps) {
    std::vector<uint32_t> roomy;
    for (const PageImage& img : rows.data.pages()) {
        if (getU16(img.bytes, fmt.dataFreeSpace) >= kFreeMapThreshold)
            roomy.push_back(img.number);
    }
    maps.push_back({RowPointer::fromU32(schema.usedPagesRow), pageNumbers(rows.data.pages())});
    maps.push_back({RowPointer::fromU32(schema.freePagesRow), roomy});
    for (PageImage& img : rows.data.pages())
        VELMORA_RETURN_IF_ERROR(out.put(img.number, std::move(img.bytes)));

    // LVAL pages of a column without maps belong to no map.
    for (auto& [column, builder] : rows.longValues.builders()) {
        for (PageImage& img : builder->pages())
            VELMORA_RETURN_IF_ERROR(out.put(img.number, std::move(img.bytes)));
    }
    for (const store::LongValueMaps& m : schema.longValueMaps) {
        auto it = rows.longValues.builders().find(m.columnNumber);
        std::vector<uint32_t> owned, lvRoomy;
        if (it != rows.longValues.builders().end()) {
            const DataPageBuilder& builder = *it->second;
            owned = pageNumbers(builder.pages());
            if (!builder.pages().empty() && builder.roomOnCurrentPage() >= kFreeMapThreshold)
                lvRoomy.push_back(builder.pages().back().number);
        }
        maps.push_back({RowPointer::fromU32(m.ownedPagesRow), std::move(owned)});
        maps.push_back({RowPointer::fromU32(m.freeSpaceRow), std::move(lvRoomy)});
    }
    return Status::ok();
}

// The whole table onto fresh pages, its indexes built again.
Status rewriteTable(JetStorage& storage, const store::Table& table, const TableDefinition& def,
                    PageAllocator& allocator, CommitPages& out, RowPlaces& placed) {
    const JetFormat& fmt = storage.format();
    const TableSchema& schema = table.schema();
    const KeyFormat keyFormat = fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
    VELMORA_ASSIGN_OR_RETURN(const bool keysPending, checkKeysFirst(storage, schema, keyFormat));

    PlacedRows rows(fmt, schema.tdefPage, allocator, schema.realIndexes.size());
    Status done = releaseTablePages(storage, def, allocator);
    if (done.isOk())
        done = placeRows(fmt, storage.header().codePage, table, keysPending, rows);
    // The pages of the index trees the key check read, by real index.
    std::vector<std::vector<uint32_t>> checkedTrees;
    if (keysPending)
        VELMORA_RETURN_IF_ERROR(finishKeyCheck(storage, table, done, rows, checkedTrees));
    VELMORA_RETURN_IF_ERROR(done);

    std::vector<MapUpdate> maps;
    VELMORA_RETURN_IF_ERROR(takeRowPages(fmt, schema, rows, out, maps));
    std::vector<uint8_t> tdef = def.bytes;
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        VELMORA_RETURN_IF_ERROR(rows.keyFailures[ix]);
        std::vector<uint32_t> oldTree;
        if (ix < checkedTrees.size())
            oldTree = std::move(checkedTrees[ix]);
        VELMORA_RETURN_IF_ERROR(writeIndex(storage, schema, ix, rows.keys[ix], std::move(oldTree),
                                           allocator, out, maps, tdef));
    }
    VELMORA_RETURN_IF_ERROR(writeDefinition(storage, def, std::move(tdef), table, out));
    VELMORA_RETURN_IF_ERROR(
        applyMapUpdates(storage, maps, allocator, out).withContext("table " + schema.name + ": "));
    placed = std::move(rows.places);
    return Status::ok();
}

}  // namespace

Status applyMapUpdates(JetStorage& storage, const std::vector<MapUpdate>& updates,
                       PageAllocator& allocator, CommitPages& out) {
    const JetFormat& fmt = storage.format();
    for (const MapUpdate& u : updates) {
        VELMORA_ASSIGN_OR_RETURN(UsageMap old, storage.usageMap(u.where));
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> host,
                                 out.current(storage.pager(), u.where.page));
        VELMORA_ASSIGN_OR_RETURN(DataPage dp, decodeDataPage(fmt, u.where.page, host));
        if (u.where.row >= dp.slots.size()) {
            return Status::error(err::kNotADatabase,
                                 "usage map row " + std::to_string(u.where.row) +
                                     " missing on page " + std::to_string(u.where.page));
        }
        size_t rowLength = dp.slots[u.where.row].length();
        std::vector<PageImage> bitmapPages;
        VELMORA_ASSIGN_OR_RETURN(
            std::vector<uint8_t> row,
            encodeUsageMapRow(fmt, rowLength, old, u.pages, allocator, bitmapPages));
        for (PageImage& img : bitmapPages)
            VELMORA_RETURN_IF_ERROR(out.put(img.number, std::move(img.bytes)));
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> page,
                                 replaceRowOnPage(fmt, host, u.where.page, u.where.row, row));
        VELMORA_RETURN_IF_ERROR(out.put(u.where.page, std::move(page)));
    }
    return Status::ok();
}

Status writeIndex(JetStorage& storage, const TableSchema& schema, size_t ix,
                  const IndexKeyList& keys, std::vector<uint32_t> oldTree, PageAllocator& allocator,
                  CommitPages& out, std::vector<MapUpdate>& maps, std::vector<uint8_t>& tdef) {
    const JetFormat& fmt = storage.format();
    const store::RealIndex& index = schema.realIndexes[ix];
    // Only the old tree's page numbers are kept: its decoded entries are gone before the new
    // tree is built.
    if (oldTree.empty()) {
        VELMORA_ASSIGN_OR_RETURN(std::vector<IndexPage> pages, storage.indexPages(index));
        for (const IndexPage& p : pages)
            oldTree.push_back(p.number);
    }
    for (uint32_t p : oldTree) {
        if (p != index.rootPage)
            allocator.release(p);
    }
    const std::vector<LeafEntry> entries = keys.sortedEntries();
    size_t distinct = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i == 0 || !sameKey(entries[i], entries[i - 1]))
            ++distinct;
    }
    VELMORA_ASSIGN_OR_RETURN(
        BuiltIndex built, buildIndexTree(fmt, schema.tdefPage, index.rootPage, entries, allocator));
    std::vector<uint32_t> treePages;
    for (PageImage& img : built.pages) {
        treePages.push_back(img.number);
        VELMORA_RETURN_IF_ERROR(out.put(img.number, std::move(img.bytes)));
    }
    std::sort(treePages.begin(), treePages.end());
    maps.push_back({RowPointer::fromU32(index.usageMapRow), treePages});
    // The key count only ever grows, as Access keeps it.
    const size_t at = fmt.tdefBlocksStart + ix * fmt.realIndexCountBlock + 4;
    putU32(tdef, at, std::max<uint32_t>(getU32(tdef, at), uint32_t(distinct)));
    return Status::ok();
}

Status writeDefinition(JetStorage& storage, const TableDefinition& def, std::vector<uint8_t> tdef,
                       const store::Table& table, CommitPages& out) {
    const JetFormat& fmt = storage.format();
    const TableSchema& schema = table.schema();
    putU32(tdef, fmt.tdefRowCount, uint32_t(table.liveRowCount()));
    putU32(tdef, fmt.tdefAutoNumber, schema.nextAutoNumber > 0 ? schema.nextAutoNumber - 1 : 0);
    size_t pos = 0;
    for (size_t k = 0; k < def.pages.size() && pos < tdef.size(); ++k) {
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> page,
                                 out.current(storage.pager(), def.pages[k]));
        const size_t from = k == 0 ? 0 : fmt.tdefContinuationHeader;
        const size_t n = std::min(page.size() - from, tdef.size() - pos);
        const auto source = tdef.begin() + long(pos);
        pos += n;
        if (std::equal(source, source + long(n), page.begin() + long(from)))
            continue;
        std::copy_n(source, n, page.begin() + long(from));
        VELMORA_RETURN_IF_ERROR(out.put(def.pages[k], std::move(page)));
    }
    return Status::ok();
}

Status writeTable(JetStorage& storage, const store::Table& table, PageAllocator& allocator,
                  CommitPages& out, RowPlaces& placed) {
    const TableSchema& schema = table.schema();
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, storage.tableDefinition(schema.name));
    VELMORA_RETURN_IF_ERROR(checkSameDesign(def.schema, schema));
    // Columns left unread (store::Table::unreadColumns()) come here only with fixed values
    // changed in place, which the patch writes over the stored images.
    const bool unread = table.hasUnreadColumns();
    if (unread && !table.changedInPlaceOnly()) {
        return Status::error(err::kInvalidOperation,
                             "table " + schema.name + ": changes to write whole, columns unread");
    }
    placed = {};
    VELMORA_ASSIGN_OR_RETURN(const bool patched,
                             patchTable(storage, table, def, allocator, out, placed));
    if (patched)
        return Status::ok();
    if (unread) {
        return Status::error(err::kInvalidOperation,
                             "table " + schema.name + ": to be written anew, columns unread");
    }
    return rewriteTable(storage, table, def, allocator, out, placed);
}

Status writeGlobalMap(JetStorage& storage, PageAllocator& allocator, CommitPages& out) {
    if (!allocator.changed())
        return Status::ok();  // no page taken or given back: the map stands
    const JetFormat& fmt = storage.format();
    VELMORA_ASSIGN_OR_RETURN(UsageMap old, storage.globalUsageMap());
    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> page1, out.current(storage.pager(), 1));
    VELMORA_ASSIGN_OR_RETURN(DataPage dp, decodeDataPage(fmt, 1, page1));
    if (dp.slots.empty())
        return Status::error(err::kNotADatabase, "page 1 holds no global usage map");
    // Row 0 may grow into whatever the page's other rows and its slot table leave.
    const size_t rowLength = dp.slots[0].length();
    size_t maxRowLength = fmt.pageSize - (fmt.dataRowTable + 2 * dp.slots.size());
    for (size_t i = 1; i < dp.slots.size(); ++i)
        maxRowLength -= std::min(maxRowLength, size_t(dp.slots[i].length()));
    std::vector<PageImage> mapPages;
    VELMORA_ASSIGN_OR_RETURN(
        std::vector<uint8_t> row,
        encodeGlobalMap(fmt, old, rowLength, maxRowLength, allocator, mapPages));
    for (PageImage& img : mapPages)
        VELMORA_RETURN_IF_ERROR(out.put(img.number, std::move(img.bytes)));
    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> page, replaceRowOnPage(fmt, page1, 1, 0, row));
    VELMORA_RETURN_IF_ERROR(out.put(1, std::move(page)));
    return Status::ok();
}

}  // namespace velmora::engine::jet
