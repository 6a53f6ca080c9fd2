// Rows changed in fixed-width values alone, written over their stored images: renumbering
// every channel changes two bytes of each row, and writing those costs a copy of the row
// instead of encoding all its values anew.
//
// A stored image is patched only when its frame is the one the encoder writes: the table's
// column count, and a fixed area that ends where the encoder's does. Then the fields of the
// values and their null-mask bits are the only bytes where the encoding of the changed row
// differs from that of the row before, so the patched image of a row the encoder wrote is
// the encoding of the changed row, byte for byte; in a row Access wrote, every other byte
// stays as Access left it.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/jet/format.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

class FixedValuePatcher {
public:
    FixedValuePatcher(const JetFormat& fmt, uint16_t codePage, const store::TableSchema& schema);

    // The values of `row` at the positions `positions` marks (bit c for schema.columns[c];
    // the other values of `row` are not read) written into their fields and null-mask bits of
    // the stored image `image`, where it is. False, with the image unchanged, when the stored
    // frame differs or a column is not of a fixed width: the row is then to be encoded whole.
    // The encoder's errors for a value of the wrong type, the image then written in part.
    Result<bool> patch(MutableBytes image, uint64_t positions, const store::Row& row);

private:
    Status put(const store::ColumnDef& column, const store::Value& value, MutableBytes image,
               uint8_t* mask);

    const JetFormat& m_fmt;
    uint16_t m_codePage;
    const store::TableSchema& m_schema;
    size_t m_fixedEnd;  // where the encoder's fixed area ends
    std::vector<uint32_t> m_scratch;
};

}  // namespace velmora::engine::jet
