// Fixed-width values written over stored rows; see row_patch.h.
#include "engine/jet/row_patch.h"

#include <algorithm>
#include <bit>

#include "engine/jet/jet3_row_encoder.h"
#include "engine/jet/jet4_row_encoder.h"
#include "engine/jet/row_codec.h"
#include "engine/jet/row_image.h"

namespace velmora::engine::jet {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

FixedValuePatcher::FixedValuePatcher(const JetFormat& fmt, uint16_t codePage,
                                     const store::TableSchema& schema)
    : m_fmt(fmt),
      m_codePage(codePage),
      m_schema(schema),
      m_fixedEnd(fmt.rowCountSize + fixedAreaSize(schema)) {}

Result<bool> FixedValuePatcher::patch(MutableBytes image, uint64_t positions,
                                      const store::Row& row) {
    if (image.size() < m_fmt.rowCountSize)
        return false;
    const size_t columnCount = m_fmt.isJet4() ? getU16(image, 0) : image[0];
    if (columnCount != m_schema.maxColumns)
        return false;
    Result<size_t> fixedEnd = fixedAreaEnd(m_fmt, m_schema, image, m_scratch);
    if (!fixedEnd.isOk() || *fixedEnd != m_fixedEnd)
        return false;
    // Every column is checked before the first is written, so that an image left to the
    // encoder is left as it was.
    for (uint64_t left = positions; left != 0; left &= left - 1) {
        const auto c = size_t(std::countr_zero(left));
        const ColumnDef& column = m_schema.columns[c];
        const bool fixedWidth = column.type == ColumnType::Boolean ||
                                (column.isFixed() && (store::fixedWidth(column.type) != 0 ||
                                                      column.type == ColumnType::Text));
        if (c >= row.size() || !fixedWidth || column.number >= columnCount)
            return false;
    }
    uint8_t* mask = image.data() + image.size() - (columnCount + 7) / 8;
    for (uint64_t left = positions; left != 0; left &= left - 1) {
        const auto c = size_t(std::countr_zero(left));
        VELMORA_RETURN_IF_ERROR(put(m_schema.columns[c], row[c], image, mask));
    }
    return true;
}

// As the encoder does it: a Yes/No value is its mask bit; a Null leaves its field zero.
Status FixedValuePatcher::put(const ColumnDef& column, const Value& value, MutableBytes image,
                              uint8_t* mask) {
    uint8_t& maskByte = mask[column.number / 8];
    const auto bit = uint8_t(1u << (column.number % 8));
    maskByte &= uint8_t(~bit);
    if (column.type == ColumnType::Boolean) {
        const auto* yes = std::get_if<bool>(&value);
        if (yes == nullptr && !store::isNull(value))
            return valueTypeMismatch(column);
        if (yes && *yes)
            maskByte |= bit;
        return Status::ok();
    }
    uint8_t* field = image.data() + m_fmt.rowCountSize + column.fixedOffset;
    std::fill_n(field, column.length, 0);
    if (store::isNull(value))
        return Status::ok();
    maskByte |= bit;
    if (putWholeNumber(field, column, value))
        return Status::ok();
    return m_fmt.isJet4() ? putJet4FixedValue(field, column, value)
                          : putJet3FixedValue(field, column, value, m_codePage);
}

}  // namespace velmora::engine::jet
