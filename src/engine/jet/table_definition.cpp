// Decoding of table definitions; see table_definition.h for the stream layout.
#include "engine/jet/table_definition.h"

#include <algorithm>
#include <numeric>
#include <set>

#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;

Status damaged(const std::string& what) {
    return Status::error(err::kNotADatabase, "table definition: " + what);
}

// A cursor over the stream that refuses to read past its end.
class Reader {
public:
    explicit Reader(Bytes b) : m_bytes(b) {}
    bool has(size_t n) const { return m_pos <= m_bytes.size() && n <= m_bytes.size() - m_pos; }
    size_t pos() const { return m_pos; }
    Bytes take(size_t n) {
        Bytes b = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return b;
    }

private:
    Bytes m_bytes;
    size_t m_pos = 0;
};

bool isKnownType(uint8_t t) {
    return (t >= 0x01 && t <= 0x0D) || t == 0x0F || t == 0x10 || t == 0x11;
}

Result<std::string> readName(Reader& r, const JetFormat& fmt, uint16_t codePage, const char* what) {
    if (!r.has(fmt.nameLengthSize))
        return damaged(std::string("the stream ends inside the ") + what + " names");
    Bytes lenBytes = r.take(fmt.nameLengthSize);
    size_t len = fmt.isJet4() ? getU16(lenBytes, 0) : lenBytes[0];
    if (!r.has(len))
        return damaged(std::string("a ") + what + " name runs past the end of the definition");
    Bytes name = r.take(len);
    return fmt.isJet4() ? text::decodeUtf16le(name) : text::decodeCodePage(name, codePage);
}

}  // namespace

Result<TableDefinition> decodeTableDefinition(const JetFormat& fmt, Bytes stream,
                                              uint16_t codePage) {
    if (stream.size() < fmt.tdefBlocksStart)
        return damaged("shorter than its header");
    if (stream[0] != page_type::kTableDefinition)
        return damaged("the first page is not a table definition page");

    TableDefinition def;
    def.bytes.assign(stream.begin(), stream.end());
    def.declaredLength = getU32(stream, fmt.tdefLength);
    def.rowCount = getU32(stream, fmt.tdefRowCount);
    store::TableSchema& s = def.schema;
    s.nextAutoNumber = getU32(stream, fmt.tdefAutoNumber) + 1;
    s.tableType = stream[fmt.tdefTableType];
    s.maxColumns = getU16(stream, fmt.tdefMaxColumns);
    s.variableColumns = getU16(stream, fmt.tdefVariableColumns);
    uint16_t columnCount = getU16(stream, fmt.tdefColumnCount);
    uint32_t logicalCount = getU32(stream, fmt.tdefLogicalIndexCount);
    uint32_t realCount = getU32(stream, fmt.tdefRealIndexCount);
    s.usedPagesRow = getU32(stream, fmt.tdefUsedPagesMap);
    s.freePagesRow = getU32(stream, fmt.tdefFreePagesMap);
    if (fmt.isJet4())
        s.complexAutoNumber = getU32(stream, 0x1C);

    // Counts come straight from the file: bound them by what the stream could hold before
    // any allocation depends on them.
    if (columnCount > stream.size() / fmt.columnBlock)
        return damaged("column count " + std::to_string(columnCount) + " is impossible");
    if (realCount > stream.size() / fmt.realIndexBlock)
        return damaged("real index count " + std::to_string(realCount) + " is impossible");
    if (logicalCount > stream.size() / fmt.logicalIndexBlock)
        return damaged("logical index count " + std::to_string(logicalCount) + " is impossible");

    Reader r(stream);
    r.take(fmt.tdefBlocksStart);

    if (!r.has(size_t(realCount) * fmt.realIndexCountBlock))
        return damaged("the stream ends inside the index row counts");
    s.realIndexes.resize(realCount);
    for (auto& ri : s.realIndexes) {
        Bytes b = r.take(fmt.realIndexCountBlock);
        ri.rowCount = getU32(b, 4);
    }

    if (!r.has(size_t(columnCount) * fmt.columnBlock))
        return damaged("the stream ends inside the column definitions");
    Bytes columnBlocks = r.take(size_t(columnCount) * fmt.columnBlock);
    def.columnRaw.assign(columnBlocks.begin(), columnBlocks.end());
    std::set<uint16_t> numbers;
    for (uint16_t i = 0; i < columnCount; ++i) {
        Bytes b = columnBlocks.subspan(size_t(i) * fmt.columnBlock, fmt.columnBlock);
        ColumnDef c;
        uint8_t type = b[fmt.colType];
        if (!isKnownType(type))
            return damaged("column " + std::to_string(i) + " has unknown type " +
                           std::to_string(type));
        c.type = ColumnType(type);
        c.number = getU16(b, fmt.colNumber);
        c.variableSlot = getU16(b, fmt.colVariableSlot);
        c.secondNumber = getU16(b, fmt.colSecondNumber);
        c.flags = b[fmt.colFlags];
        c.fixedOffset = getU16(b, fmt.colFixedOffset);
        c.length = getU16(b, fmt.colLength);
        if (fmt.isJet4()) {
            c.extendedFlags = b[fmt.colExtendedFlags];
            c.sortVersion = b[fmt.colSortVersion];
            if (c.type == ColumnType::Numeric) {
                c.precision = b[fmt.colPrecision];
                c.scale = b[fmt.colScale];
                c.sortOrder = 0;
            } else {
                c.sortOrder = getU16(b, fmt.colSortOrder);
            }
            c.codePage = 0;
        } else {
            c.sortOrder = getU16(b, fmt.colSortOrder);
            c.codePage = getU16(b, fmt.colCodePage);
            c.sortVersion = uint8_t(getU16(b, fmt.colSortVersion));
            if (c.type == ColumnType::Numeric) {
                c.precision = b[fmt.colPrecision];
                c.scale = b[fmt.colScale];
            }
        }
        if (c.number >= s.maxColumns)
            return damaged("column number " + std::to_string(c.number) +
                           " is not below the column count " + std::to_string(s.maxColumns));
        if (!numbers.insert(c.number).second)
            return damaged("column number " + std::to_string(c.number) + " is used twice");
        if (c.isFixed() && size_t(c.fixedOffset) + c.length > fmt.pageSize)
            return damaged("column " + std::to_string(c.number) + " lies outside any row");
        if (!c.isFixed() && c.type != ColumnType::Boolean && c.variableSlot >= s.variableColumns)
            return damaged("column " + std::to_string(c.number) + " uses variable slot " +
                           std::to_string(c.variableSlot) + " of only " +
                           std::to_string(s.variableColumns));
        s.columns.push_back(std::move(c));
    }
    for (auto& c : s.columns) {
        VELMORA_ASSIGN_OR_RETURN(c.name, readName(r, fmt, codePage, "column"));
    }

    if (!r.has(size_t(realCount) * fmt.realIndexBlock))
        return damaged("the stream ends inside the real index definitions");
    Bytes realBlocks = r.take(size_t(realCount) * fmt.realIndexBlock);
    def.realIndexRaw.assign(realBlocks.begin(), realBlocks.end());
    for (uint32_t i = 0; i < realCount; ++i) {
        Bytes b = realBlocks.subspan(size_t(i) * fmt.realIndexBlock, fmt.realIndexBlock);
        auto& ri = s.realIndexes[i];
        for (size_t k = 0; k < kMaxIndexColumns; ++k) {
            uint16_t number = getU16(b, fmt.riColumns + 3 * k);
            uint8_t order = b[fmt.riColumns + 3 * k + 2];
            if (number == 0xFFFF)
                continue;
            ri.columns.push_back({number, order != 0x00});
        }
        ri.usageMapRow = getU32(b, fmt.riUsageMap);
        ri.rootPage = getU32(b, fmt.riRootPage);
        if (fmt.isJet4())
            ri.unknownAfterRoot = getU32(b, fmt.riUnknown);
        ri.flags = b[fmt.riFlags];
    }

    if (!r.has(size_t(logicalCount) * fmt.logicalIndexBlock))
        return damaged("the stream ends inside the logical index definitions");
    s.logicalIndexes.resize(logicalCount);
    for (auto& li : s.logicalIndexes) {
        Bytes b = r.take(fmt.logicalIndexBlock);
        li.number = getU32(b, fmt.liNumber);
        li.realIndex = getU32(b, fmt.liRealIndex);
        li.relatedTableType = b[fmt.liRelatedTableType];
        li.relatedIndexNumber = getI32(b, fmt.liRelatedIndex);
        li.relatedTablePage = getU32(b, fmt.liRelatedTablePage);
        li.cascadeUpdates = b[fmt.liCascadeUpdates];
        li.cascadeDeletes = b[fmt.liCascadeDeletes];
        uint8_t type = b[fmt.liType];
        li.type = type <= 2 ? store::LogicalIndexType(type) : store::LogicalIndexType::Plain;
        if (li.realIndex >= realCount)
            return damaged("logical index " + std::to_string(li.number) + " refers to real index " +
                           std::to_string(li.realIndex) + " of " + std::to_string(realCount));
    }
    for (auto& li : s.logicalIndexes) {
        VELMORA_ASSIGN_OR_RETURN(li.name, readName(r, fmt, codePage, "index"));
    }

    // Long-value usage maps, terminated by 0xFFFF. Some definitions end right after the
    // index names; a stream that simply ends is accepted as an empty list.
    while (r.has(2)) {
        Bytes num = r.take(2);
        uint16_t column = getU16(num, 0);
        if (column == 0xFFFF)
            break;
        if (!r.has(8))
            return damaged("the stream ends inside the long-value usage maps");
        Bytes b = r.take(8);
        s.longValueMaps.push_back({column, getU32(b, 0), getU32(b, 4)});
    }
    return def;
}

Result<TableDefinition> readTableDefinition(io::Pager& pager, const JetFormat& fmt,
                                            uint32_t firstPage, uint16_t codePage) {
    std::vector<uint8_t> stream;
    std::vector<uint32_t> pages;
    std::set<uint32_t> seen;
    uint32_t page = firstPage;
    while (page != 0) {
        auto ctx = "page " + std::to_string(page) + ": ";
        if (!seen.insert(page).second)
            return Status::error(err::kNotADatabase,
                                 ctx + "the table definition chain loops back to this page");
        auto result = pager.read(page);
        if (!result)
            return result.status();
        const auto& bytes = **result;
        if (bytes[0] != page_type::kTableDefinition) {
            return Status::error(err::kNotADatabase,
                                 ctx + "expected a table definition page, found page type " +
                                     std::to_string(bytes[0]));
        }
        if (pages.empty())
            stream.insert(stream.end(), bytes.begin(), bytes.end());
        else
            stream.insert(stream.end(), bytes.begin() + long(fmt.tdefContinuationHeader),
                          bytes.end());
        pages.push_back(page);
        page = getU32(bytes, fmt.tdefNextPage);
    }
    auto def = decodeTableDefinition(fmt, stream, codePage);
    if (!def)
        return def.status().withContext("page " + std::to_string(firstPage) + ": ");
    def->pages = std::move(pages);
    def->schema.tdefPage = firstPage;
    return def;
}

std::vector<size_t> columnsInNumberOrder(const store::TableSchema& schema) {
    std::vector<size_t> order(schema.columns.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return schema.columns[a].number < schema.columns[b].number;
    });
    return order;
}

}  // namespace velmora::engine::jet
