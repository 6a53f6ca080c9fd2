// Laying out a complete Jet 3 or Jet 4 file; see database_image.h.
#include "engine/jet/database_image.h"

#include <algorithm>
#include <map>
#include <memory>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/jet/header.h"
#include "engine/jet/index_builder.h"
#include "engine/jet/index_key.h"
#include "engine/jet/row_image.h"
#include "engine/jet/table_definition_writer.h"

namespace velmora::engine::jet {
namespace {

// Usage-map rows as Jet writes them in a new file: type, start page, 64 (Jet 4) or 128
// (Jet 3) bitmap bytes.
size_t mapRowLength(const JetFormat& fmt) {
    return fmt.isJet4() ? 69 : 133;
}

// Where one table's usage maps live.
struct TableMaps {
    RowPointer owned, free;
    std::vector<std::pair<RowPointer, RowPointer>> longValue;  // per schema.longValueMaps
    std::vector<RowPointer> index;                             // per real index
};

// Writes long values onto LVAL pages, one page builder per MEMO/OLE column so that values of
// different columns never share a page.
class LongValueWriter {
public:
    LongValueWriter(const JetFormat& fmt, PageAllocator& allocator)
        : m_fmt(fmt), m_allocator(allocator) {}

    Result<std::vector<uint8_t>> store(const store::ColumnDef& column, std::vector<uint8_t> data) {
        std::vector<uint8_t> header(long_value::kHeaderSize, 0);
        if (data.size() > 0x00FFFFFF)
            return Status::error(err::kRecordTooLarge, "a long value over 16 MB");
        putU24(header, 0, uint32_t(data.size()));
        if (data.size() <= kMaxInlineLongValue) {
            header[3] = long_value::kInline;
            header.insert(header.end(), data.begin(), data.end());
            return header;
        }
        DataPageBuilder& pages = builderFor(column.number);
        if (data.size() <= maxSingleLongValue(m_fmt)) {
            header[3] = long_value::kSingleRow;
            putU32(header, 4, pages.add(data).toU32());
            return header;
        }
        // A chain, written last chunk first so that every row knows its successor.
        header[3] = long_value::kChain;
        const size_t chunkSize = longValueChunk(m_fmt);
        size_t chunks = (data.size() + chunkSize - 1) / chunkSize;
        RowPointer next{};
        for (size_t k = chunks; k-- > 0;) {
            size_t from = k * chunkSize;
            size_t n = std::min(chunkSize, data.size() - from);
            std::vector<uint8_t> row(4 + n);
            putU32(row, 0, k + 1 == chunks ? 0 : next.toU32());
            std::copy(data.begin() + long(from), data.begin() + long(from + n), row.begin() + 4);
            next = pages.add(row);
        }
        putU32(header, 4, next.toU32());
        return header;
    }

    // The LVAL pages of a column, in allocation order.
    std::vector<uint32_t> pagesOf(uint16_t column) const {
        std::vector<uint32_t> out;
        auto it = m_builders.find(column);
        if (it != m_builders.end()) {
            for (const auto& p : it->second->pages())
                out.push_back(p.number);
        }
        return out;
    }
    // The page the column would write to next (the only one worth listing as free).
    std::vector<uint32_t> lastPageOf(uint16_t column) const {
        auto it = m_builders.find(column);
        if (it == m_builders.end() || it->second->pages().empty())
            return {};
        return {it->second->pages().back().number};
    }

    void collect(std::vector<PageImage>& out) {
        for (auto& [column, builder] : m_builders) {
            for (auto& p : builder->pages())
                out.push_back(std::move(p));
        }
        m_builders.clear();
    }

private:
    DataPageBuilder& builderFor(uint16_t column) {
        auto it = m_builders.find(column);
        if (it == m_builders.end())
            it = m_builders
                     .emplace(column, std::make_unique<DataPageBuilder>(m_fmt, kLongValueOwner,
                                                                        m_allocator))
                     .first;
        return *it->second;
    }

    const JetFormat& m_fmt;
    PageAllocator& m_allocator;
    std::map<uint16_t, std::unique_ptr<DataPageBuilder>> m_builders;
};

const std::string& indexName(const store::TableSchema& schema, size_t real) {
    for (const auto& li : schema.logicalIndexes) {
        if (li.realIndex == real)
            return li.name;
    }
    static const std::string kNone = "(unnamed)";
    return kNone;
}

bool anyKeyColumnNull(const store::TableSchema& schema, const store::RealIndex& index,
                      const store::Row& row) {
    for (const auto& ic : index.columns) {
        for (size_t i = 0; i < schema.columns.size(); ++i) {
            if (schema.columns[i].number == ic.columnNumber && store::isNull(row[i]))
                return true;
        }
    }
    return false;
}

}  // namespace

RowSource rowsOf(const std::vector<store::Row>& rows) {
    return [&rows](const RowVisitor& visit) {
        for (const store::Row& row : rows)
            visit(row);
    };
}

std::vector<uint8_t> packRowsOnPage(const JetFormat& fmt, uint32_t owner,
                                    const std::vector<std::vector<uint8_t>>& rows) {
    std::vector<uint8_t> page(fmt.pageSize, 0);
    page[0] = page_type::kData;
    page[1] = 0x01;
    putU32(page, fmt.dataOwner, owner);
    size_t end = fmt.pageSize;
    for (size_t i = 0; i < rows.size(); ++i) {
        size_t start = end - rows[i].size();
        std::copy(rows[i].begin(), rows[i].end(), page.begin() + long(start));
        putU16(page, fmt.dataRowTable + 2 * i, uint16_t(start));
        end = start;
    }
    putU16(page, fmt.dataRowCount, uint16_t(rows.size()));
    putU16(page, fmt.dataFreeSpace, uint16_t(end - (fmt.dataRowTable + 2 * rows.size())));
    return page;
}

DatabaseImageBuilder::DatabaseImageBuilder(const JetFormat& fmt, std::vector<uint8_t> page0)
    : m_fmt(fmt), m_page0(std::move(page0)), m_allocator(2, {}) {}

uint16_t DatabaseImageBuilder::codePage() const {
    Result<DatabaseHeader> header = decodeHeader(m_page0);
    return header.isOk() ? header->codePage : uint16_t(1252);
}

Result<size_t> DatabaseImageBuilder::addTable(store::TableSchema schema) {
    if (m_tables.empty() && !store::sameName(schema.name, "MSysObjects"))
        return Status::error(err::kInvalidArgument, "the first table of a file is MSysObjects");
    // The list of long-value maps follows the column blocks: one entry per MEMO/OLE column.
    schema.longValueMaps.clear();
    for (const auto& c : schema.columns) {
        if (c.isLongValue())
            schema.longValueMaps.push_back({c.number, 0, 0});
    }
    // The definition's size does not depend on the pointers it will hold.
    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> probe,
                             encodeTableDefinition(m_fmt, schema, 0, codePage()));
    Entry e;
    size_t pages = tableDefinitionPageCount(m_fmt, probe.size());
    for (size_t i = 0; i < pages; ++i)
        e.tdefPages.push_back(m_allocator.allocate());
    schema.tdefPage = e.tdefPages.front();
    e.schema = std::move(schema);
    m_tables.push_back(std::move(e));
    return m_tables.size() - 1;
}

Status encodeWholeTables(const JetFormat& fmt, std::vector<TableToWrite>& tables,
                         PageAllocator& allocator, std::vector<PageImage>& images,
                         uint16_t codePage) {
    const size_t mapRowSize = mapRowLength(fmt);
    const KeyFormat keyFormat = fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
    // Usage-map hosts: every map row of every table, in table order.
    size_t mapRows = 0;
    for (const auto& t : tables)
        mapRows += 2 + 2 * t.schema->longValueMaps.size() + t.schema->realIndexes.size();
    const size_t perHost = (fmt.pageSize - fmt.dataRowTable) / (mapRowSize + 2);
    std::vector<uint32_t> hosts;
    for (size_t i = 0; i < (mapRows + perHost - 1) / perHost; ++i)
        hosts.push_back(allocator.allocate());
    size_t nextMapRow = 0;
    auto takeMapRow = [&]() {
        RowPointer p{hosts[nextMapRow / perHost], uint8_t(nextMapRow % perHost)};
        ++nextMapRow;
        return p;
    };
    std::vector<TableMaps> maps(tables.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        store::TableSchema& s = *tables[t].schema;
        maps[t].owned = takeMapRow();
        maps[t].free = takeMapRow();
        s.usedPagesRow = maps[t].owned.toU32();
        s.freePagesRow = maps[t].free.toU32();
        // The list follows the column blocks, but the rows are taken in column-number
        // order, as Jet does.
        maps[t].longValue.resize(s.longValueMaps.size());
        std::vector<size_t> byNumber(s.longValueMaps.size());
        for (size_t k = 0; k < byNumber.size(); ++k)
            byNumber[k] = k;
        std::sort(byNumber.begin(), byNumber.end(), [&](size_t a, size_t b) {
            return s.longValueMaps[a].columnNumber < s.longValueMaps[b].columnNumber;
        });
        for (size_t k : byNumber) {
            RowPointer owned = takeMapRow();
            RowPointer free = takeMapRow();
            s.longValueMaps[k].ownedPagesRow = owned.toU32();
            s.longValueMaps[k].freeSpaceRow = free.toU32();
            maps[t].longValue[k] = {owned, free};
        }
        for (auto& ri : s.realIndexes) {
            RowPointer p = takeMapRow();
            ri.usageMapRow = p.toU32();
            maps[t].index.push_back(p);
        }
    }
    // Index roots.
    for (auto& t : tables) {
        for (auto& ri : t.schema->realIndexes)
            ri.rootPage = allocator.allocate();
    }

    // Rows, table by table, with their long values; then the index trees.
    std::vector<std::vector<uint8_t>> mapRowBytes(nextMapRow);
    auto putMap = [&](RowPointer where, const std::vector<uint32_t>& pages) -> Status {
        std::vector<PageImage> bitmapPages;
        VELMORA_ASSIGN_OR_RETURN(
            std::vector<uint8_t> row,
            encodeUsageMapRow(fmt, mapRowSize, UsageMap{}, pages, allocator, bitmapPages));
        for (auto& p : bitmapPages)
            images.push_back(std::move(p));
        size_t k = size_t(std::find(hosts.begin(), hosts.end(), where.page) - hosts.begin());
        mapRowBytes[k * perHost + where.row] = std::move(row);
        return Status::ok();
    };

    // Each row is placed and its keys built in one visit; a key that cannot be built (or a
    // Null in a required index) is reported with the index trees, table by table, index by
    // index, for the first row that has one.
    struct Placed {
        size_t rowCount = 0;
        std::vector<IndexKeyList> keys;
        std::vector<Status> keyFailures;
    };
    std::vector<Placed> placed(tables.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        TableToWrite& e = tables[t];
        const store::TableSchema& s = *e.schema;
        DataPageBuilder data(fmt, e.tdefPages.front(), allocator);
        LongValueWriter longValues(fmt, allocator);
        LongValueSink sink = [&](const store::ColumnDef& c, std::vector<uint8_t> bytes) {
            return longValues.store(c, std::move(bytes));
        };
        Placed& here = placed[t];
        here.keys.resize(s.realIndexes.size());
        here.keyFailures.resize(s.realIndexes.size());
        Status failure;
        RowEncoder encoder(fmt, codePage, s);
        e.rows([&](const store::Row& row) {
            if (!failure.isOk())
                return;
            auto image = encoder.encode(row, sink);
            if (!image) {
                failure = image.status().withContext("table '" + s.name + "': ");
                return;
            }
            const RowPointer where = data.add(*image);
            ++here.rowCount;
            for (size_t r = 0; r < s.realIndexes.size(); ++r) {
                const store::RealIndex& ri = s.realIndexes[r];
                if (!here.keyFailures[r].isOk() ||
                    (ri.ignoresNulls() && allKeyColumnsNull(s, ri, row)))
                    continue;
                if (ri.isRequired() && anyKeyColumnNull(s, ri, row)) {
                    here.keyFailures[r] = Status::error(
                        err::kPrimaryKeyNull, "index '" + indexName(s, r) + "' of table '" +
                                                  s.name + "' cannot contain a Null value");
                    continue;
                }
                Status added = here.keys[r].add(s, ri, row, keyFormat, where);
                if (!added.isOk())
                    here.keyFailures[r] = added.withContext("table '" + s.name + "': ");
            }
        });
        VELMORA_RETURN_IF_ERROR(failure);
        std::vector<uint32_t> dataPages;
        for (const auto& p : data.pages())
            dataPages.push_back(p.number);
        VELMORA_RETURN_IF_ERROR(putMap(maps[t].owned, dataPages));
        std::vector<uint32_t> roomy;
        if (!data.pages().empty() && data.roomOnCurrentPage() > 0)
            roomy.push_back(data.pages().back().number);
        VELMORA_RETURN_IF_ERROR(putMap(maps[t].free, roomy));
        for (size_t k = 0; k < s.longValueMaps.size(); ++k) {
            uint16_t column = s.longValueMaps[k].columnNumber;
            VELMORA_RETURN_IF_ERROR(putMap(maps[t].longValue[k].first, longValues.pagesOf(column)));
            VELMORA_RETURN_IF_ERROR(
                putMap(maps[t].longValue[k].second, longValues.lastPageOf(column)));
        }
        for (auto& p : data.pages())
            images.push_back(std::move(p));
        longValues.collect(images);
    }

    for (size_t t = 0; t < tables.size(); ++t) {
        TableToWrite& e = tables[t];
        store::TableSchema& s = *e.schema;
        for (size_t r = 0; r < s.realIndexes.size(); ++r) {
            store::RealIndex& ri = s.realIndexes[r];
            VELMORA_RETURN_IF_ERROR(placed[t].keyFailures[r]);
            const std::vector<LeafEntry> entries = placed[t].keys[r].sortedEntries();
            // A unique index takes any number of rows whose key columns are all Null.
            VELMORA_ASSIGN_OR_RETURN(
                store::KeyBytes nullKey,
                encodeIndexKey(s, ri, store::Row(s.columns.size(), store::Value(store::Null{})),
                               keyFormat));
            uint32_t distinct = 0;
            for (size_t i = 0; i < entries.size(); ++i) {
                bool repeat = i > 0 && sameKey(entries[i], entries[i - 1]);
                if (repeat && ri.isUnique() && !std::ranges::equal(entries[i].key, nullKey)) {
                    return Status::error(err::kDuplicateKey,
                                         "the changes you requested to the table '" + s.name +
                                             "' were not successful because they would create "
                                             "duplicate values in the index '" +
                                             indexName(s, r) + "'");
                }
                if (!repeat)
                    ++distinct;
            }
            ri.rowCount = distinct;
            VELMORA_ASSIGN_OR_RETURN(
                BuiltIndex built,
                buildIndexTree(fmt, e.tdefPages.front(), ri.rootPage, entries, allocator));
            std::vector<uint32_t> owned;
            for (const auto& p : built.pages)
                owned.push_back(p.number);
            std::sort(owned.begin(), owned.end());
            VELMORA_RETURN_IF_ERROR(putMap(maps[t].index[r], owned));
            for (auto& p : built.pages)
                images.push_back(std::move(p));
        }
        VELMORA_ASSIGN_OR_RETURN(
            std::vector<uint8_t> stream,
            encodeTableDefinition(fmt, s, uint32_t(placed[t].rowCount), codePage));
        for (auto& p : paginateTableDefinition(fmt, stream, e.tdefPages))
            images.push_back(std::move(p));
    }

    for (size_t h = 0; h < hosts.size(); ++h) {
        std::vector<std::vector<uint8_t>> rows;
        for (size_t k = h * perHost; k < std::min(nextMapRow, (h + 1) * perHost); ++k)
            rows.push_back(mapRowBytes[k]);
        images.push_back({hosts[h], packRowsOnPage(fmt, 0, rows)});
    }
    return Status::ok();
}

Result<std::vector<uint8_t>> DatabaseImageBuilder::finish() {
    const JetFormat& fmt = m_fmt;
    std::vector<PageImage> images;
    std::vector<TableToWrite> tables;
    for (auto& e : m_tables)
        tables.push_back({&e.schema, rowsOf(e.rows), e.tdefPages});
    VELMORA_RETURN_IF_ERROR(encodeWholeTables(fmt, tables, m_allocator, images, codePage()));
    const size_t mapRowSize = mapRowLength(fmt);

    const uint32_t pageCount = m_allocator.newPageCount();
    std::vector<std::vector<uint8_t>> globalRows;
    globalRows.push_back(encodeGlobalMapRow({}, pageCount, mapRowSize));
    globalRows.emplace_back(mapRowSize, 0);
    images.push_back({1, packRowsOnPage(fmt, 1, globalRows)});

    std::vector<uint8_t> file(size_t(pageCount) * fmt.pageSize, 0);
    std::copy(m_page0.begin(), m_page0.begin() + std::min<long>(long(m_page0.size()), fmt.pageSize),
              file.begin());
    for (const auto& img : images) {
        if (img.number == 0 || img.number >= pageCount || img.bytes.size() != fmt.pageSize)
            return Status::error(err::kInvalidArgument, "page " + std::to_string(img.number) +
                                                            " lies outside the new file");
        std::copy(img.bytes.begin(), img.bytes.end(),
                  file.begin() + long(size_t(img.number) * fmt.pageSize));
    }
    return file;
}

}  // namespace velmora::engine::jet
