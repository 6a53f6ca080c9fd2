// What the row images of both versions share; see row_image.h.
#include "engine/jet/row_image.h"

#include <algorithm>
#include <cstring>

#include "engine/jet/jet3_row_encoder.h"
#include "engine/jet/jet4_row_encoder.h"

namespace velmora::engine::jet {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

Status valueTypeMismatch(const ColumnDef& c) {
    return Status::error(err::kTypeConversion,
                         "value of column '" + c.name + "' does not match its type");
}

size_t fixedAreaSize(const store::TableSchema& schema) {
    size_t size = 0;
    for (const ColumnDef& c : schema.columns) {
        if (c.isFixed() && c.type != ColumnType::Boolean)
            size = std::max<size_t>(size, size_t(c.fixedOffset) + c.length);
    }
    return size;
}

Result<size_t> encodeFixedValue(const ColumnDef& c, const Value& v, uint8_t* buf) {
    auto put = [&](uint64_t x, size_t at, int n) {
        for (int i = 0; i < n; ++i)
            buf[at + size_t(i)] = uint8_t(x >> (8 * i));
    };
    switch (c.type) {
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long: {
            auto* i = std::get_if<int64_t>(&v);
            if (!i)
                return valueTypeMismatch(c);
            int n = c.type == ColumnType::Byte ? 1 : c.type == ColumnType::Integer ? 2 : 4;
            put(uint64_t(*i), 0, n);
            return size_t(n);
        }
        case ColumnType::Currency: {
            auto* x = std::get_if<store::Currency>(&v);
            if (!x)
                return valueTypeMismatch(c);
            put(uint64_t(x->scaled), 0, 8);
            return size_t(8);
        }
        case ColumnType::Single: {
            auto* f = std::get_if<float>(&v);
            if (!f)
                return valueTypeMismatch(c);
            uint32_t bits;
            std::memcpy(&bits, f, 4);
            put(bits, 0, 4);
            return size_t(4);
        }
        case ColumnType::Double:
        case ColumnType::DateTime: {
            double d;
            if (auto* x = std::get_if<double>(&v))
                d = *x;
            else if (auto* t = std::get_if<store::DateTime>(&v))
                d = t->days;
            else
                return valueTypeMismatch(c);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            put(bits, 0, 8);
            return size_t(8);
        }
        case ColumnType::Guid: {
            auto* g = std::get_if<store::Guid>(&v);
            if (!g)
                return valueTypeMismatch(c);
            std::copy(g->bytes.begin(), g->bytes.end(), buf);
            return g->bytes.size();
        }
        case ColumnType::Numeric: {
            auto* d = std::get_if<store::Decimal>(&v);
            if (!d)
                return valueTypeMismatch(c);
            unsigned __int128 m = d->magnitude;
            for (uint8_t s = d->scale; s < c.scale; ++s)
                m *= 10;
            for (uint8_t s = c.scale; s < d->scale; ++s)
                m /= 10;
            buf[0] = d->negative ? 0x80 : 0x00;
            for (int w = 3; w >= 0; --w)
                put(uint32_t(m >> (32 * w)), 1 + 4 * size_t(3 - w), 4);
            return size_t(17);
        }
        default:
            return valueTypeMismatch(c);
    }
}

LongValueSink sizingLongValueSink() {
    return [](const ColumnDef&, std::vector<uint8_t> data) -> Result<std::vector<uint8_t>> {
        if (data.size() <= kMaxInlineLongValue) {
            std::vector<uint8_t> field(12 + data.size(), 0);
            std::copy(data.begin(), data.end(), field.begin() + 12);
            return field;
        }
        return std::vector<uint8_t>(12, 0);
    };
}

const LongValueSink& refusingLongValueSink() {
    static const LongValueSink sink = [](const ColumnDef& c, const std::vector<uint8_t>&) {
        return Result<std::vector<uint8_t>>(Status::error(
            err::kOperationNotSupported, "column " + c.name + " holds no long values"));
    };
    return sink;
}

Result<std::vector<uint8_t>> encodeRowFor(const JetFormat& fmt, uint16_t codePage,
                                          const store::TableSchema& schema, const store::Row& row,
                                          const LongValueSink& longValues) {
    if (fmt.isJet4())
        return encodeJet4Row(schema, row, longValues);
    return encodeJet3Row(schema, row, longValues, codePage);
}

RowEncoder::RowEncoder(const JetFormat& fmt, uint16_t codePage, const store::TableSchema& schema)
    : m_fmt(fmt), m_codePage(codePage), m_schema(schema), m_fixedArea(fixedAreaSize(schema)) {}

Result<Bytes> RowEncoder::encode(const store::Row& row, const LongValueSink& longValues) {
    if (m_fmt.isJet4()) {
        VELMORA_RETURN_IF_ERROR(
            encodeJet4RowInto(m_schema, m_fixedArea, row, longValues, m_buffers));
    } else {
        VELMORA_ASSIGN_OR_RETURN(m_buffers.image,
                                 encodeJet3Row(m_schema, row, longValues, m_codePage));
    }
    return Bytes(m_buffers.image);
}

size_t maxSingleLongValue(const JetFormat& fmt) {
    return fmt.isJet4() ? 4076 : 2032;
}

size_t longValueChunk(const JetFormat& fmt) {
    return fmt.isJet4() ? 4072 : 2028;
}

}  // namespace velmora::engine::jet
