// Whole table definitions for new tables and compacted copies; see table_definition_writer.h.
#include "engine/jet/table_definition_writer.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnType;

// Stored size of the fixed-size types; nullopt for variable ones.
int fixedSize(ColumnType t) {
    // The length field of a Boolean column holds 1 although its value lives in the null mask.
    if (t == ColumnType::Boolean)
        return 1;
    int width = store::fixedWidth(t);
    return width == 0 ? -1 : width;
}

std::string lowerAscii(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

// Jet 4 names: a 2-byte length in bytes and UTF-16LE; Jet 3 names: a 1-byte length and the
// file's code page.
Status appendName(std::vector<uint8_t>& out, const JetFormat& fmt, uint16_t codePage,
                  const std::string& name) {
    if (fmt.isJet4()) {
        std::vector<uint8_t> units = text::encodeUtf16le(name);
        out.push_back(uint8_t(units.size() & 0xFF));
        out.push_back(uint8_t(units.size() >> 8));
        out.insert(out.end(), units.begin(), units.end());
        return Status::ok();
    }
    std::optional<std::vector<uint8_t>> bytes = text::encodeCodePage(name, codePage);
    if (!bytes || bytes->size() > 255) {
        return Status::error(
            err::kInvalidArgument,
            "the name '" + name + "' cannot be stored in code page " + std::to_string(codePage));
    }
    out.push_back(uint8_t(bytes->size()));
    out.insert(out.end(), bytes->begin(), bytes->end());
    return Status::ok();
}

void appendU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void appendU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

Status layoutNewColumns(store::TableSchema& schema) {
    if (schema.columns.empty())
        return Status::error(err::kInvalidArgument, "a table needs at least one column");
    if (schema.columns.size() > 255)
        return Status::error(err::kInvalidArgument, "a table holds at most 255 columns");
    std::set<std::string> seen;
    uint16_t slot = 0;
    uint16_t offset = 0;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        store::ColumnDef& c = schema.columns[i];
        if (c.name.empty() || text::utf8ToUtf16(c.name).size() > 64)
            return Status::error(err::kInvalidArgument,
                                 "'" + c.name + "' is not a valid column name");
        if (!seen.insert(lowerAscii(c.name)).second)
            return Status::error(err::kInvalidArgument,
                                 "the column name '" + c.name + "' is used twice");
        c.number = uint16_t(i);
        c.secondNumber = c.number;
        c.flags |= store::column_flag::kUpdatable;
        int size = fixedSize(c.type);
        if (size > 0) {
            c.flags |= store::column_flag::kFixed;
            c.length = uint16_t(size);
            // Jet fills the slot field of fixed columns with the next free variable slot.
            c.variableSlot = slot;
            c.fixedOffset = c.type == ColumnType::Boolean ? 0 : offset;
            if (c.type != ColumnType::Boolean)
                offset = uint16_t(offset + size);
        } else {
            c.flags &= uint8_t(~store::column_flag::kFixed);
            c.variableSlot = slot++;
            c.fixedOffset = 0;
            if (c.isLongValue())
                c.length = 0;
            else if (c.length == 0)
                c.length = 510;  // 255 characters of UTF-16 (Text), 510 bytes (Binary)
        }
        if (c.type == ColumnType::Text && c.length > 510)
            return Status::error(err::kInvalidArgument,
                                 "column '" + c.name + "' is longer than 255 characters");
        if (c.type == ColumnType::Numeric)
            c.sortOrder = 0;
    }
    schema.maxColumns = uint16_t(schema.columns.size());
    schema.variableColumns = slot;
    return Status::ok();
}

void sortLogicalIndexes(store::TableSchema& schema) {
    std::stable_sort(schema.logicalIndexes.begin(), schema.logicalIndexes.end(),
                     [](const store::LogicalIndex& a, const store::LogicalIndex& b) {
                         return lowerAscii(a.name) < lowerAscii(b.name);
                     });
}

Result<std::vector<uint8_t>> encodeTableDefinition(const JetFormat& fmt,
                                                   const store::TableSchema& schema,
                                                   uint32_t rowCount, uint16_t codePage) {
    const store::TableSchema& s = schema;
    const bool jet4 = fmt.isJet4();
    std::vector<uint8_t> out(fmt.tdefBlocksStart, 0);
    out[0] = page_type::kTableDefinition;
    out[1] = 0x01;
    putU32(out, fmt.tdefRowCount, rowCount);
    putU32(out, fmt.tdefAutoNumber, s.nextAutoNumber > 0 ? s.nextAutoNumber - 1 : 0);
    if (jet4) {
        putU32(out, 0x0C, kJet4TdefMagic);
        out[0x18] = 0x01;
        putU32(out, 0x1C, s.complexAutoNumber);
    }
    out[fmt.tdefTableType] = s.tableType;
    putU16(out, fmt.tdefMaxColumns, s.maxColumns);
    putU16(out, fmt.tdefVariableColumns, s.variableColumns);
    putU16(out, fmt.tdefColumnCount, uint16_t(s.columns.size()));
    putU32(out, fmt.tdefLogicalIndexCount, uint32_t(s.logicalIndexes.size()));
    putU32(out, fmt.tdefRealIndexCount, uint32_t(s.realIndexes.size()));
    putU32(out, fmt.tdefUsedPagesMap, s.usedPagesRow);
    putU32(out, fmt.tdefFreePagesMap, s.freePagesRow);

    for (const auto& ri : s.realIndexes) {
        appendU32(out, 0);
        appendU32(out, ri.rowCount);
        if (jet4)
            appendU32(out, 0);
    }
    for (const auto& c : s.columns) {
        std::vector<uint8_t> b(fmt.columnBlock, 0);
        b[fmt.colType] = uint8_t(c.type);
        if (jet4)
            putU32(b, 1, kJet4TdefMagic);
        putU16(b, fmt.colNumber, c.number);
        putU16(b, fmt.colVariableSlot, c.variableSlot);
        putU16(b, fmt.colSecondNumber, c.secondNumber);
        if (c.type == ColumnType::Numeric) {
            b[fmt.colPrecision] = c.precision;
            b[fmt.colScale] = c.scale;
        } else if (jet4) {
            putU16(b, fmt.colSortOrder, c.sortOrder);
            b[fmt.colSortVersion] = c.sortVersion;
        } else {
            putU16(b, fmt.colSortOrder, c.sortOrder);
            putU16(b, fmt.colCodePage, c.codePage);
            putU16(b, fmt.colSortVersion, c.sortVersion);
        }
        b[fmt.colFlags] = c.flags;
        if (jet4)
            b[fmt.colExtendedFlags] = c.extendedFlags;
        putU16(b, fmt.colFixedOffset, c.isFixed() ? c.fixedOffset : 0);
        putU16(b, fmt.colLength, c.length);
        out.insert(out.end(), b.begin(), b.end());
    }
    for (const auto& c : s.columns)
        VELMORA_RETURN_IF_ERROR(appendName(out, fmt, codePage, c.name));
    for (const auto& ri : s.realIndexes) {
        if (ri.columns.empty() || ri.columns.size() > kMaxIndexColumns)
            return Status::error(err::kInvalidArgument, "an index has 1 to 10 columns");
        std::vector<uint8_t> b(fmt.realIndexBlock, 0);
        if (jet4)
            putU32(b, 0, kJet4RealIndexMagic);
        for (size_t k = 0; k < kMaxIndexColumns; ++k) {
            size_t at = fmt.riColumns + 3 * k;
            if (k < ri.columns.size()) {
                putU16(b, at, ri.columns[k].columnNumber);
                b[at + 2] = ri.columns[k].ascending ? 0x01 : 0x00;
            } else {
                putU16(b, at, 0xFFFF);
            }
        }
        putU32(b, fmt.riUsageMap, ri.usageMapRow);
        putU32(b, fmt.riRootPage, ri.rootPage);
        if (jet4)
            putU32(b, fmt.riUnknown, ri.unknownAfterRoot);
        b[fmt.riFlags] = ri.flags;
        out.insert(out.end(), b.begin(), b.end());
    }
    for (const auto& li : s.logicalIndexes) {
        if (li.realIndex >= s.realIndexes.size())
            return Status::error(err::kInvalidArgument,
                                 "index '" + li.name + "' refers to a missing real index");
        std::vector<uint8_t> b(fmt.logicalIndexBlock, 0);
        if (jet4)
            putU32(b, 0, kJet4TdefMagic);
        putU32(b, fmt.liNumber, li.number);
        putU32(b, fmt.liRealIndex, li.realIndex);
        b[fmt.liRelatedTableType] = li.relatedTableType;
        putU32(b, fmt.liRelatedIndex, uint32_t(li.relatedIndexNumber));
        putU32(b, fmt.liRelatedTablePage, li.relatedTablePage);
        b[fmt.liCascadeUpdates] = li.cascadeUpdates;
        b[fmt.liCascadeDeletes] = li.cascadeDeletes;
        b[fmt.liType] = uint8_t(li.type);
        out.insert(out.end(), b.begin(), b.end());
    }
    for (const auto& li : s.logicalIndexes)
        VELMORA_RETURN_IF_ERROR(appendName(out, fmt, codePage, li.name));
    for (const auto& m : s.longValueMaps) {
        appendU16(out, m.columnNumber);
        appendU32(out, m.ownedPagesRow);
        appendU32(out, m.freeSpaceRow);
    }
    appendU16(out, 0xFFFF);
    putU32(out, fmt.tdefLength, uint32_t(out.size()));
    return out;
}

size_t tableDefinitionPageCount(const JetFormat& fmt, size_t streamLength) {
    if (streamLength <= fmt.pageSize)
        return 1;
    size_t perPage = fmt.pageSize - fmt.tdefContinuationHeader;
    return 1 + (streamLength - fmt.pageSize + perPage - 1) / perPage;
}

std::vector<PageImage> paginateTableDefinition(const JetFormat& fmt,
                                               const std::vector<uint8_t>& stream,
                                               const std::vector<uint32_t>& pages) {
    std::vector<PageImage> out;
    size_t pos = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        PageImage img;
        img.number = pages[i];
        img.bytes.assign(fmt.pageSize, 0);
        size_t start = i == 0 ? 0 : fmt.tdefContinuationHeader;
        size_t n = std::min(stream.size() - pos, fmt.pageSize - start);
        std::copy(stream.begin() + long(pos), stream.begin() + long(pos + n),
                  img.bytes.begin() + long(start));
        pos += n;
        img.bytes[0] = page_type::kTableDefinition;
        img.bytes[1] = 0x01;
        uint32_t next = i + 1 < pages.size() ? pages[i + 1] : 0;
        putU32(img.bytes, fmt.tdefNextPage, next);
        // The free-space field counts what is left on the page beyond an 8-byte reserve;
        // full pages of a chain hold 0.
        size_t used = start + n;
        uint16_t free =
            next != 0 ? 0 : uint16_t(fmt.pageSize - std::min(used + 8, size_t(fmt.pageSize)));
        if (fmt.isJet4())
            putU16(img.bytes, fmt.tdefFreeSpace, free);
        else
            putU16(img.bytes, fmt.tdefFreeSpace, 0x4356);  // "VC"
        out.push_back(std::move(img));
    }
    return out;
}

}  // namespace velmora::engine::jet
