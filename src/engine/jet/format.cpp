// The two instances of JetFormat; see format.h for the layout summary.
#include "engine/jet/format.h"

namespace velmora::engine::jet {
namespace {

JetFormat makeJet3() {
    JetFormat f{};
    f.version = JetVersion::Jet3;
    f.pageSize = 2048;
    f.headerMaskLength = 126;
    f.passwordLength = 20;
    f.dataRowCount = 0x08;
    f.dataRowTable = 0x0A;
    f.dataOwner = 4;
    f.dataFreeSpace = 2;
    f.tdefFreeSpace = 2;
    f.tdefNextPage = 4;
    f.tdefLength = 8;
    f.tdefRowCount = 0x0C;
    f.tdefAutoNumber = 0x10;
    f.tdefTableType = 0x14;
    f.tdefMaxColumns = 0x15;
    f.tdefVariableColumns = 0x17;
    f.tdefColumnCount = 0x19;
    f.tdefLogicalIndexCount = 0x1B;
    f.tdefRealIndexCount = 0x1F;
    f.tdefUsedPagesMap = 0x23;
    f.tdefFreePagesMap = 0x27;
    f.tdefBlocksStart = 0x2B;
    f.tdefContinuationHeader = 8;
    f.realIndexCountBlock = 8;
    f.columnBlock = 18;
    f.colNumber = 1;
    f.colVariableSlot = 3;
    f.colSecondNumber = 5;
    f.colSortOrder = 9;
    f.colCodePage = 11;
    f.colSortVersion = 7;  // a word, equal to the header's word at 0x38
    f.colPrecision = 11;
    f.colScale = 12;
    f.colFlags = 13;
    f.colExtendedFlags = 0;  // not stored
    f.colFixedOffset = 14;
    f.colLength = 16;
    f.realIndexBlock = 39;
    f.riColumns = 0;
    f.riUsageMap = 30;
    f.riRootPage = 34;
    f.riUnknown = 0;  // not stored
    f.riFlags = 38;
    f.logicalIndexBlock = 20;
    f.liNumber = 0;
    f.liRealIndex = 4;
    f.liRelatedTableType = 8;
    f.liRelatedIndex = 9;
    f.liRelatedTablePage = 13;
    f.liCascadeUpdates = 17;
    f.liCascadeDeletes = 18;
    f.liType = 19;
    f.nameLengthSize = 1;
    f.ixPrevPage = 0x08;
    f.ixNextPage = 0x0C;
    f.ixTailPage = 0x10;
    f.ixPrefixLength = 0x14;
    f.ixPrefixLengthSize = 1;
    f.ixBitmap = 0x16;
    f.ixEntries = 0xF8;
    f.rowCountSize = 1;
    f.rowOffsetSize = 1;
    return f;
}

JetFormat makeJet4() {
    JetFormat f{};
    f.version = JetVersion::Jet4;
    f.pageSize = 4096;
    f.headerMaskLength = 128;
    f.passwordLength = 40;
    f.dataRowCount = 0x0C;
    f.dataRowTable = 0x0E;
    f.dataOwner = 4;
    f.dataFreeSpace = 2;
    f.tdefFreeSpace = 2;
    f.tdefNextPage = 4;
    f.tdefLength = 8;
    f.tdefRowCount = 0x10;
    f.tdefAutoNumber = 0x14;
    f.tdefTableType = 0x28;
    f.tdefMaxColumns = 0x29;
    f.tdefVariableColumns = 0x2B;
    f.tdefColumnCount = 0x2D;
    f.tdefLogicalIndexCount = 0x2F;
    f.tdefRealIndexCount = 0x33;
    f.tdefUsedPagesMap = 0x37;
    f.tdefFreePagesMap = 0x3B;
    f.tdefBlocksStart = 0x3F;
    f.tdefContinuationHeader = 8;
    f.realIndexCountBlock = 12;
    f.columnBlock = 25;
    f.colNumber = 5;
    f.colVariableSlot = 7;
    f.colSecondNumber = 9;
    f.colSortOrder = 11;
    f.colCodePage = 0;  // not stored
    f.colSortVersion = 14;
    f.colPrecision = 11;
    f.colScale = 12;
    f.colFlags = 15;
    f.colExtendedFlags = 16;
    f.colFixedOffset = 21;
    f.colLength = 23;
    f.realIndexBlock = 52;
    f.riColumns = 4;
    f.riUsageMap = 34;
    f.riRootPage = 38;
    f.riUnknown = 42;
    f.riFlags = 46;
    f.logicalIndexBlock = 28;
    f.liNumber = 4;
    f.liRealIndex = 8;
    f.liRelatedTableType = 12;
    f.liRelatedIndex = 13;
    f.liRelatedTablePage = 17;
    f.liCascadeUpdates = 21;
    f.liCascadeDeletes = 22;
    f.liType = 23;
    f.nameLengthSize = 2;
    f.ixPrevPage = 0x0C;
    f.ixNextPage = 0x10;
    f.ixTailPage = 0x14;
    f.ixPrefixLength = 0x18;
    f.ixPrefixLengthSize = 2;
    f.ixBitmap = 0x1B;
    f.ixEntries = 0x1E0;
    f.rowCountSize = 2;
    f.rowOffsetSize = 2;
    return f;
}

}  // namespace

const JetFormat& jet3Format() {
    static const JetFormat f = makeJet3();
    return f;
}

const JetFormat& jet4Format() {
    static const JetFormat f = makeJet4();
    return f;
}

const JetFormat& formatFor(JetVersion version) {
    return version == JetVersion::Jet3 ? jet3Format() : jet4Format();
}

}  // namespace velmora::engine::jet
