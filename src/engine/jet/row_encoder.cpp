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

// Writes the bytes of a value of a fixed-size type into `buf` (17 bytes suffice for every
// type) and returns how many there are.
Result<size_t> fixedBytes(const ColumnDef& c, const Value& v, uint8_t* buf) {
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
                return mismatch(c);
            int n = c.type == ColumnType::Byte ? 1 : c.type == ColumnType::Integer ? 2 : 4;
            put(uint64_t(*i), 0, n);
            return size_t(n);
        }
        case ColumnType::Currency: {
            auto* x = std::get_if<store::Currency>(&v);
            if (!x)
                return mismatch(c);
            put(uint64_t(x->scaled), 0, 8);
            return size_t(8);
        }
        case ColumnType::Single: {
            auto* f = std::get_if<float>(&v);
            if (!f)
                return mismatch(c);
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
                return mismatch(c);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            put(bits, 0, 8);
            return size_t(8);
        }
        case ColumnType::Guid: {
            auto* g = std::get_if<store::Guid>(&v);
            if (!g)
                return mismatch(c);
            std::copy(g->bytes.begin(), g->bytes.end(), buf);
            return g->bytes.size();
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
            buf[0] = d->negative ? 0x80 : 0x00;
            for (int w = 3; w >= 0; --w)
                put(uint32_t(m >> (32 * w)), 1 + 4 * size_t(3 - w), 4);
            return size_t(17);
        }
        default:
            return mismatch(c);
    }
}

// Appends the stored bytes of a Text or Memo value to `out`. Plain ASCII, by far the most
// common text, is encoded without converting to UTF-16 first.
void appendJet4Text(std::vector<uint8_t>& out, const ColumnDef& column, const std::string& utf8) {
    const bool compress = (column.extendedFlags & 0x01) != 0;
    bool ascii = true;
    for (char ch : utf8) {
        uint8_t u = uint8_t(ch);
        ascii = ascii && u != 0 && u < 0x80;
    }
    if (ascii) {
        if (compress && utf8.size() >= 3 && utf8.size() <= 1024) {
            out.push_back(0xFF);
            out.push_back(0xFE);
            out.insert(out.end(), utf8.begin(), utf8.end());
        } else {
            for (char ch : utf8) {
                out.push_back(uint8_t(ch));
                out.push_back(0);
            }
        }
        return;
    }
    // Compressed form: every character one byte in U+0001..U+00FF.
    const std::u16string units = text::utf8ToUtf16(utf8);
    if (compress && units.size() >= 3 && units.size() <= 1024 &&
        std::all_of(units.begin(), units.end(), [](char16_t u) { return u != 0 && u <= 0xFF; })) {
        out.push_back(0xFF);
        out.push_back(0xFE);
        for (char16_t u : units)
            out.push_back(uint8_t(u));
        return;
    }
    for (char16_t u : units) {
        out.push_back(uint8_t(u));
        out.push_back(uint8_t(u >> 8));
    }
}

// Appends the bytes of a value of a variable-length column as the row stores them.
Status appendVariable(std::vector<uint8_t>& out, const ColumnDef& c, const Value& v,
                      const LongValueSink& sink) {
    switch (c.type) {
        case ColumnType::Text: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return mismatch(c);
            appendJet4Text(out, c, *s);
            return Status::ok();
        }
        case ColumnType::Memo:
        case ColumnType::Ole: {
            std::vector<uint8_t> data;
            if (c.type == ColumnType::Memo) {
                auto* s = std::get_if<std::string>(&v);
                if (!s)
                    return mismatch(c);
                appendJet4Text(data, c, *s);
            } else {
                auto* b = std::get_if<store::Blob>(&v);
                if (!b)
                    return mismatch(c);
                data = *b;
            }
            VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> field, sink(c, std::move(data)));
            out.insert(out.end(), field.begin(), field.end());
            return Status::ok();
        }
        case ColumnType::Binary:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11: {
            auto* b = std::get_if<store::Blob>(&v);
            if (!b)
                return mismatch(c);
            out.insert(out.end(), b->begin(), b->end());
            return Status::ok();
        }
        default: {
            uint8_t buf[17];
            VELMORA_ASSIGN_OR_RETURN(size_t n, fixedBytes(c, v, buf));
            out.insert(out.end(), buf, buf + n);
            return Status::ok();
        }
    }
}

// Fills the fixed-area field of a non-Null value; a value longer than the column is cut to
// the column's size, a shorter one leaves zeros.
Status putFixedField(uint8_t* field, const ColumnDef& c, const Value& v,
                     const LongValueSink& sink) {
    switch (c.type) {
        case ColumnType::Text: {
            // Fixed text: plain UTF-16 padded with blanks to the column size.
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return mismatch(c);
            std::vector<uint8_t> units = text::encodeUtf16le(*s);
            size_t used = std::min<size_t>(units.size(), c.length);
            std::copy_n(units.begin(), used, field);
            for (size_t i = used; i + 1 < c.length; i += 2)
                field[i] = 0x20;
            return Status::ok();
        }
        case ColumnType::Memo:
        case ColumnType::Ole:
        case ColumnType::Binary:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11: {
            std::vector<uint8_t> bytes;
            VELMORA_RETURN_IF_ERROR(appendVariable(bytes, c, v, sink));
            std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), c.length), field);
            return Status::ok();
        }
        default: {
            uint8_t buf[17];
            VELMORA_ASSIGN_OR_RETURN(size_t n, fixedBytes(c, v, buf));
            std::copy_n(buf, std::min<size_t>(n, c.length), field);
            return Status::ok();
        }
    }
}

}  // namespace

std::vector<uint8_t> encodeJet4TextValue(const ColumnDef& column, const std::string& utf8) {
    std::vector<uint8_t> out;
    appendJet4Text(out, column, utf8);
    return out;
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
    const size_t slots = schema.variableColumns;
    std::vector<uint8_t> out;
    out.reserve(2 + fixedArea + 32 * slots + 2 * slots + 4 + maskSize);
    out.resize(2 + fixedArea, 0);
    putU16(out, 0, uint16_t(columnCount));
    std::vector<uint8_t> mask(maskSize, 0);
    // Per variable slot: the position in `row` of the value it holds (row.size(): empty),
    // and later where its data starts.
    struct Slot {
        size_t value;
        uint16_t start;
    };
    std::vector<Slot> variable(slots, Slot{row.size(), 0});
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
        if (c.isFixed()) {
            VELMORA_RETURN_IF_ERROR(
                putFixedField(out.data() + 2 + c.fixedOffset, c, v, longValues));
        } else {
            if (c.variableSlot >= slots) {
                return Status::error(err::kNotADatabase,
                                     "column '" + c.name + "' has variable slot " +
                                         std::to_string(c.variableSlot) + " beyond the table's " +
                                         std::to_string(slots));
            }
            variable[c.variableSlot].value = i;
        }
    }
    if (slots > 0) {
        // Offsets are 16 bits; anything that large is refused below as too long anyway.
        for (Slot& slot : variable) {
            slot.start = uint16_t(out.size());
            if (slot.value < row.size()) {
                VELMORA_RETURN_IF_ERROR(
                    appendVariable(out, schema.columns[slot.value], row[slot.value], longValues));
            }
        }
        const uint16_t end = uint16_t(out.size());
        size_t trailer = out.size();
        out.resize(trailer + 2 + 2 * slots + 2);
        putU16(out, trailer, end);
        for (size_t s = 0; s < slots; ++s)
            putU16(out, trailer + 2 + 2 * (slots - 1 - s), variable[s].start);
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

Result<size_t> encodeFixedValue(const ColumnDef& column, const Value& value, uint8_t* buf) {
    return fixedBytes(column, value, buf);
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
