// The definition of a Jet table as the engine keeps it: columns, physical ("real") indexes and
// logical indexes, with every field of the stored table definition that a writer needs to
// write it back unchanged. The reader fills these from the TDEF pages; the writer encodes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/store/value.h"

namespace velmora::engine::store {

// Column flag bits of the table definition.
namespace column_flag {
inline constexpr uint8_t kFixed = 0x01;
inline constexpr uint8_t kUpdatable = 0x02;  // set on every column Access writes
inline constexpr uint8_t kAutoNumber = 0x04;
inline constexpr uint8_t kGuidAutoNumber = 0x40;
inline constexpr uint8_t kHyperlink = 0x80;
}  // namespace column_flag

// Jet matches object and column names without regard to letter case.
bool sameName(const std::string& a, const std::string& b);

struct ColumnDef {
    std::string name;
    ColumnType type = ColumnType::Text;
    uint16_t number = 0;        // bit in the null mask; never reused
    uint16_t variableSlot = 0;  // slot in the variable offset table (variable columns)
    uint16_t fixedOffset = 0;   // offset inside the fixed area (fixed columns)
    uint16_t length = 0;        // stored size in bytes (Text: bytes, so J4 chars × 2)
    uint8_t flags = column_flag::kUpdatable;
    uint8_t extendedFlags = 0;  // J4: 0x01 = compressed Unicode
    uint16_t sortOrder = 1033;  // text collation (J3 and J4)
    uint16_t codePage = 1252;   // J3 text columns
    uint8_t sortVersion = 0;    // J4
    uint8_t precision = 0;      // NUMERIC
    uint8_t scale = 0;          // NUMERIC
    uint16_t secondNumber = 0;  // stored beside the column number; kept as read
    bool required = false;      // the column's Required property (refuses Null, 3314)

    bool isFixed() const { return (flags & column_flag::kFixed) != 0; }
    bool isAutoNumber() const {
        return (type == ColumnType::Long && (flags & column_flag::kAutoNumber)) ||
               (type == ColumnType::Guid && (flags & column_flag::kGuidAutoNumber));
    }
    bool isLongValue() const { return type == ColumnType::Memo || type == ColumnType::Ole; }
    // Characters a Text column holds (J4 stores two bytes per character).
    uint16_t maxChars(bool jet4) const { return jet4 ? length / 2 : length; }
};

// Index flag bits of the physical index.
namespace index_flag {
inline constexpr uint8_t kUnique = 0x01;
inline constexpr uint8_t kIgnoreNulls = 0x02;
inline constexpr uint8_t kRequired = 0x08;
inline constexpr uint8_t kAccess2000 = 0x80;  // set by Access on every J4 index
}  // namespace index_flag

struct IndexColumn {
    uint16_t columnNumber = 0;  // ColumnDef::number
    bool ascending = true;
};

// A physical index: the B-tree that holds the entries.
struct RealIndex {
    std::vector<IndexColumn> columns;  // 1 to 10
    uint8_t flags = 0;
    uint32_t rootPage = 0;
    uint32_t usageMapRow = 0;       // row pointer (page << 8 | row) of its usage map
    uint32_t unknownAfterRoot = 0;  // kept as read
    uint32_t rowCount = 0;          // the index's row-count block

    bool isUnique() const { return (flags & index_flag::kUnique) != 0; }
    bool ignoresNulls() const { return (flags & index_flag::kIgnoreNulls) != 0; }
    bool isRequired() const { return (flags & index_flag::kRequired) != 0; }
};

enum class LogicalIndexType : uint8_t { Plain = 0x00, PrimaryKey = 0x01, ForeignKey = 0x02 };

// A logical index: the named object DAO lists; several may share one real index.
struct LogicalIndex {
    std::string name;
    uint32_t number = 0;
    uint32_t realIndex = 0;  // position in TableSchema::realIndexes
    LogicalIndexType type = LogicalIndexType::Plain;
    uint8_t relatedTableType = 0;
    int32_t relatedIndexNumber = -1;
    uint32_t relatedTablePage = 0;
    uint8_t cascadeUpdates = 0;
    uint8_t cascadeDeletes = 0;

    bool isPrimary() const { return type == LogicalIndexType::PrimaryKey; }
    bool isForeign() const { return type == LogicalIndexType::ForeignKey; }
};

// The long-value usage maps a MEMO/OLE column owns.
struct LongValueMaps {
    uint16_t columnNumber = 0;
    uint32_t ownedPagesRow = 0;
    uint32_t freeSpaceRow = 0;
};

struct TableSchema {
    std::string name;
    uint32_t tdefPage = 0;        // first page of the table definition
    uint8_t tableType = 0x4E;     // 0x4E user table, 0x53 system table
    uint32_t nextAutoNumber = 1;  // next value of a LONG AutoNumber column
    uint32_t autoNumberIncrement = 0;
    uint32_t complexAutoNumber = 0;
    uint16_t maxColumns = 0;         // columns ever defined (null mask width); J4: max column count
    uint16_t variableColumns = 0;    // variable slots ever used
    uint32_t usedPagesRow = 0;       // row pointer of the data-page usage map
    uint32_t freePagesRow = 0;       // row pointer of the free-space usage map
    std::vector<ColumnDef> columns;  // in stored order (not always column-number order)
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> logicalIndexes;
    std::vector<LongValueMaps> longValueMaps;

    // Position in `columns` of the column with this name (case-insensitive, as Jet matches
    // names), or nullopt.
    std::optional<size_t> findColumn(const std::string& name) const;
};

}  // namespace velmora::engine::store
