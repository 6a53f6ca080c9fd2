// Offsets and sizes of the Jet 3 and Jet 4 page structures, shared by every decoder and
// encoder of the format. One JetFormat instance per version holds the positions that differ;
// fixed facts (page types, flags) are plain constants.
//
//   structure            Jet 3      Jet 4
//   page size            2048       4096
//   data page rows at    0x08/0x0A  0x0C/0x0E   (row count / row offset table)
//   TDEF header blocks   0x2B       0x3F
//   column block         18         25 bytes
//   real index block     39         52 bytes
//   logical index block  20         28 bytes
//   index entries at     0xF8       0x1E0
//   names                1-byte len + code page   2-byte len + UTF-16LE
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::engine::jet {

enum class JetVersion : uint8_t { Jet3 = 0, Jet4 = 1 };

namespace page_type {
inline constexpr uint8_t kHeader = 0x00;
inline constexpr uint8_t kData = 0x01;
inline constexpr uint8_t kTableDefinition = 0x02;
inline constexpr uint8_t kIndexNode = 0x03;
inline constexpr uint8_t kIndexLeaf = 0x04;
inline constexpr uint8_t kUsageMap = 0x05;
}  // namespace page_type

// Row offset table entries of a data page.
namespace row_slot {
inline constexpr uint16_t kDeleted = 0x8000;
inline constexpr uint16_t kPointer = 0x4000;  // the slot holds a pointer to the moved row
inline constexpr uint16_t kOffsetMask = 0x1FFF;
}  // namespace row_slot

// Owner field of long-value pages: the ASCII bytes "LVAL".
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;
// MSysObjects' table definition always sits on page 2.
inline constexpr uint32_t kCatalogPage = 2;
// Magic numbers of Jet 4 table definitions.
inline constexpr uint32_t kJet4TdefMagic = 1625;
inline constexpr uint32_t kJet4RealIndexMagic = 1923;
inline constexpr uint16_t kMaxSlotsPerPage = 255;
inline constexpr size_t kMaxIndexColumns = 10;

// Long-value header in a row (12 bytes; inline data follows it).
namespace long_value {
inline constexpr size_t kHeaderSize = 12;
inline constexpr uint8_t kInline = 0x80;
inline constexpr uint8_t kSingleRow = 0x40;
inline constexpr uint8_t kChain = 0x00;
}  // namespace long_value

struct JetFormat {
    JetVersion version;
    uint32_t pageSize;

    // Page 0.
    size_t headerMaskLength;  // bytes of the RC4-masked region starting at 0x18
    size_t passwordLength;

    // Data pages.
    size_t dataRowCount;   // u16 number of slots
    size_t dataRowTable;   // first 2-byte slot entry
    size_t dataOwner = 4;  // u32 TDEF page of the owning table
    size_t dataFreeSpace = 2;

    // Table definition header (offsets into the joined TDEF stream).
    size_t tdefFreeSpace = 2;  // J4 free-space field; "VC" in Jet 3
    size_t tdefNextPage = 4;
    size_t tdefLength = 8;
    size_t tdefRowCount;
    size_t tdefAutoNumber;
    size_t tdefTableType;
    size_t tdefMaxColumns;
    size_t tdefVariableColumns;
    size_t tdefColumnCount;
    size_t tdefLogicalIndexCount;
    size_t tdefRealIndexCount;
    size_t tdefUsedPagesMap;
    size_t tdefFreePagesMap;
    size_t tdefBlocksStart;
    size_t tdefContinuationHeader = 8;  // bytes skipped on every continuation page

    size_t realIndexCountBlock;  // per real index, after the header

    // Column definition block.
    size_t columnBlock;
    size_t colType = 0;
    size_t colNumber;
    size_t colVariableSlot;
    size_t colSecondNumber;
    size_t colSortOrder;
    size_t colCodePage;  // Jet 3 only
    // Jet 4: the sort version byte. Jet 3: a word that equals the header's word at 0x38 in
    // every Access 97 file (1, or 0 in one file); read and written as the Jet 3 sort version.
    size_t colSortVersion;
    size_t colPrecision;
    size_t colScale;
    size_t colFlags;
    size_t colExtendedFlags;  // Jet 4 only
    size_t colFixedOffset;
    size_t colLength;

    // Real (physical) index block.
    size_t realIndexBlock;
    size_t riColumns;  // 10 × [column number u16][order u8]
    size_t riUsageMap;
    size_t riRootPage;
    size_t riUnknown;  // Jet 4: 4 bytes between the root page and the flags
    size_t riFlags;

    // Logical index block.
    size_t logicalIndexBlock;
    size_t liNumber;
    size_t liRealIndex;
    size_t liRelatedTableType;
    size_t liRelatedIndex;
    size_t liRelatedTablePage;
    size_t liCascadeUpdates;
    size_t liCascadeDeletes;
    size_t liType;

    size_t nameLengthSize;  // 1 (Jet 3) or 2 (Jet 4) bytes before each name

    // Index pages.
    size_t ixPrevPage;
    size_t ixNextPage;
    size_t ixTailPage;
    size_t ixPrefixLength;
    size_t ixPrefixLengthSize;  // Jet 3 stores one byte, Jet 4 two
    size_t ixBitmap;
    size_t ixEntries;

    // Rows.
    size_t rowCountSize;   // bytes of the column count at the start of a row
    size_t rowOffsetSize;  // bytes per variable offset entry

    bool isJet4() const { return version == JetVersion::Jet4; }
};

const JetFormat& jet3Format();
const JetFormat& jet4Format();
const JetFormat& formatFor(JetVersion version);

}  // namespace velmora::engine::jet
