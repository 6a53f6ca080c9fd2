// Jet 4 row images; see row_encoder.h.
#include "engine/jet/row_encoder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

Status mismatch(const ColumnDef& c) {
    return Status::error(err::kTypeConversion,
                         "value of column '" + c.name + "' does not match its type");
}

// Fixed-size bytes of a value of a fixed-size type.
Result<std::vector<uint8_t>> fixedBytes(const ColumnDef& c, const Value& v) {
    std::vector<uint8_t> out;
    auto put = [&](uint64_t x, int n) {
        for (int i = 0; i < n; ++i)
            out.push_back(uint8_t(x >> (8 * i)));
    };
    switch (c.type) {
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long: {
            auto* i = std::get_if<int64_t>(&v);
            if (!i)
                return mismatch(c);
            put(uint64_t(*i), c.type == ColumnType::Byte      ? 1
                              : c.type == ColumnType::Integer ? 2
                                                              : 4);
            return out;
        }
        case ColumnType::Currency: {
            auto* x = std::get_if<store::Currency>(&v);
            if (!x)
                return mismatch(c);
            put(uint64_t(x->scaled), 8);
            return out;
        }
        case ColumnType::Single: {
            auto* f = std::get_if<float>(&v);
            if (!f)
                return mismatch(c);
            uint32_t bits;
            std::memcpy(&bits, f, 4);
            put(bits, 4);
            return out;
        }
        case ColumnType::Double:
        case ColumnType::DateTime: {
            double d;
            if (auto* x = std::get_if<double>(&v))
                d = *x;
            else if (auto* t = std::get_if<store::DateTime>(&v))
                d = t->days;
            else
                return mismatch(c);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            put(bits, 8);
            return out;
        }
        case ColumnType::Guid: {
            auto* g = std::get_if<store::Guid>(&v);
            if (!g)
                return mismatch(c);
            return std::vector<uint8_t>(g->bytes.begin(), g->bytes.end());
        }
        case ColumnType::Numeric: {
            auto* d = std::get_if<store::Decimal>(&v);
            if (!d)
                return mismatch(c);
            unsigned __int128 m = d->magnitude;
            for (uint8_t s = d->scale; s < c.scale; ++s)
                m *= 10;
            for (uint8_t s = c.scale; s < d->scale; ++s)
                m /= 10;
            out.push_back(d->negative ? 0x80 : 0x00);
            for (int w = 3; w >= 0; --w)
                put(uint32_t(m >> (32 * w)), 4);
            return out;
        }
        default:
            return mismatch(c);
    }
}

// The bytes of any non-Boolean, non-Null value as the row stores them.
Result<std::vector<uint8_t>> valueBytes(const ColumnDef& c, const Value& v,
                                        const LongValueSink& sink) {
    switch (c.type) {
        case ColumnType::Text: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return mismatch(c);
            if (c.isFixed()) {
                // Fixed text: plain UTF-16 padded with blanks to the column size.
                std::vector<uint8_t> out = text::encodeUtf16le(*s);
                size_t used = out.size();
                out.resize(c.length, 0);
                for (size_t i = used; i + 1 < c.length; i += 2)
                    out[i] = 0x20;
                return out;
            }
            return encodeJet4TextValue(c, *s);
        }
        case ColumnType::Memo: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return mismatch(c);
            return sink(c, encodeJet4TextValue(c, *s));
        }
        case ColumnType::Ole: {
            auto* b = std::get_if<store::Blob>(&v);
            if (!b)
                return mismatch(c);
            return sink(c, *b);
        }
        case ColumnType::Binary:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11: {
            auto* b = std::get_if<store::Blob>(&v);
            if (!b)
                return mismatch(c);
            return *b;
        }
        default:
            return fixedBytes(c, v);
    }
}

}  // namespace

std::vector<uint8_t> encodeJet4TextValue(const ColumnDef& column, const std::string& utf8) {
    if (column.extendedFlags & 0x01) {
        std::u16string units = text::utf8ToUtf16(utf8);
        if (units.size() >= 3 && units.size() <= 1024) {
            if (auto compressed = text::encodeJet4Compressed(utf8))
                return *compressed;
        }
    }
    return text::encodeUtf16le(utf8);
}

Result<std::vector<uint8_t>> encodeJet4Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues) {
    if (row.size() != schema.columns.size())
        return Status::error(err::kInvalidArgument, "row does not match its table's columns");
    const size_t columnCount = schema.maxColumns;
    const size_t maskSize = (columnCount + 7) / 8;
    size_t fixedArea = 0;
    for (const ColumnDef& c : schema.columns) {
        if (c.isFixed() && c.type != ColumnType::Boolean)
            fixedArea = std::max<size_t>(fixedArea, size_t(c.fixedOffset) + c.length);
    }
    std::vector<uint8_t> mask(maskSize, 0);
    std::vector<uint8_t> out(2 + fixedArea, 0);
    putU16(out, 0, uint16_t(columnCount));
    const size_t slots = schema.variableColumns;
    std::vector<std::vector<uint8_t>> variable(slots);
    for (size_t i = 0; i < row.size(); ++i) {
        const ColumnDef& c = schema.columns[i];
        if (c.number >= columnCount) {
            return Status::error(err::kNotADatabase,
                                 "column '" + c.name + "' lies beyond the table's column count");
        }
        const Value& v = row[i];
        if (c.type == ColumnType::Boolean) {
            auto* b = std::get_if<bool>(&v);
            if (b == nullptr && !store::isNull(v))
                return mismatch(c);
            if (b && *b)
                mask[c.number / 8] |= uint8_t(1u << (c.number % 8));
            continue;
        }
        if (store::isNull(v))
            continue;
        mask[c.number / 8] |= uint8_t(1u << (c.number % 8));
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes, valueBytes(c, v, longValues));
        if (c.isFixed()) {
            size_t n = std::min<size_t>(bytes.size(), c.length);
            std::copy_n(bytes.begin(), n, out.begin() + 2 + c.fixedOffset);
        } else {
            if (c.variableSlot >= slots) {
                return Status::error(err::kNotADatabase,
                                     "column '" + c.name + "' has variable slot " +
                                         std::to_string(c.variableSlot) + " beyond the table's " +
                                         std::to_string(slots));
            }
            variable[c.variableSlot] = std::move(bytes);
        }
    }
    if (slots > 0) {
        // Offsets are 16 bits; anything that large is refused below as too long anyway.
        std::vector<uint16_t> starts(slots + 1);
        for (size_t s = 0; s < slots; ++s) {
            starts[s] = uint16_t(out.size());
            out.insert(out.end(), variable[s].begin(), variable[s].end());
        }
        starts[slots] = uint16_t(out.size());
        size_t trailer = out.size();
        out.resize(trailer + 2 + 2 * slots + 2);
        putU16(out, trailer, starts[slots]);
        for (size_t s = 0; s < slots; ++s)
            putU16(out, trailer + 2 + 2 * (slots - 1 - s), starts[s]);
        putU16(out, trailer + 2 + 2 * slots, uint16_t(slots));
    }
    out.insert(out.end(), mask.begin(), mask.end());
    if (out.size() > kJet4MaxRowSize) {
        return Status::error(err::kRecordTooLarge,
                             "Record is too large (" + std::to_string(out.size()) +
                                 " bytes; a row of table '" + schema.name + "' holds at most " +
                                 std::to_string(kJet4MaxRowSize) + ").");
    }
    return out;
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

}  // namespace velmora::engine::jet
