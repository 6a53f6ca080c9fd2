// Jet 4 row images; see jet4_row_encoder.h.
#include "engine/jet/jet4_row_encoder.h"

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

// Appends the stored bytes of a Text or Memo value to `out`. Plain ASCII, by far the most
// common text, is copied as it is; other texts are encoded from their UTF-16 units as they
// are decoded, without a UTF-16 copy of the text.
void appendJet4Text(std::vector<uint8_t>& out, const ColumnDef& column, const std::string& utf8) {
    const bool compress = (column.extendedFlags & 0x01) != 0;
    // Without a branch per letter, so that the scan runs many letters a step.
    uint8_t notAscii = 0;
    for (char ch : utf8) {
        auto u = uint8_t(ch);
        notAscii |= uint8_t(uint8_t(u - 1) >= 0x7F);  // 0, and 0x80..0xFF
    }
    if (notAscii == 0) {
        if (compress && utf8.size() >= 3 && utf8.size() <= 1024) {
            const size_t at = out.size();
            out.resize(at + 2 + utf8.size());
            out[at] = 0xFF;
            out[at + 1] = 0xFE;
            std::memcpy(out.data() + at + 2, utf8.data(), utf8.size());
        } else {
            size_t at = out.size();
            out.resize(at + 2 * utf8.size(), 0);
            for (char ch : utf8) {
                out[at] = uint8_t(ch);
                at += 2;
            }
        }
        return;
    }
    // Compressed form: every character one byte in U+0001..U+00FF.
    size_t units = 0;
    bool oneByte = true;
    text::forEachUtf16Unit(utf8, [&](char16_t u) {
        ++units;
        oneByte = oneByte && u != 0 && u <= 0xFF;
    });
    if (compress && units >= 3 && units <= 1024 && oneByte) {
        out.push_back(0xFF);
        out.push_back(0xFE);
        text::forEachUtf16Unit(utf8, [&](char16_t u) { out.push_back(uint8_t(u)); });
        return;
    }
    text::forEachUtf16Unit(utf8, [&](char16_t u) {
        out.push_back(uint8_t(u));
        out.push_back(uint8_t(u >> 8));
    });
}

// Appends the bytes of a value of a variable-length column as the row stores them.
Status appendVariable(std::vector<uint8_t>& out, const ColumnDef& c, const Value& v,
                      const LongValueSink& sink) {
    switch (c.type) {
        case ColumnType::Text: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return valueTypeMismatch(c);
            appendJet4Text(out, c, *s);
            return Status::ok();
        }
        case ColumnType::Memo:
        case ColumnType::Ole: {
            std::vector<uint8_t> data;
            if (c.type == ColumnType::Memo) {
                auto* s = std::get_if<std::string>(&v);
                if (!s)
                    return valueTypeMismatch(c);
                appendJet4Text(data, c, *s);
            } else {
                auto* b = std::get_if<store::Blob>(&v);
                if (!b)
                    return valueTypeMismatch(c);
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
                return valueTypeMismatch(c);
            out.insert(out.end(), b->begin(), b->end());
            return Status::ok();
        }
        default: {
            uint8_t buf[17];
            VELMORA_ASSIGN_OR_RETURN(size_t n, encodeFixedValue(c, v, buf));
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
                return valueTypeMismatch(c);
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
            if (putWholeNumber(field, c, v))
                return Status::ok();
            uint8_t buf[17];
            VELMORA_ASSIGN_OR_RETURN(size_t n, encodeFixedValue(c, v, buf));
            std::copy_n(buf, std::min<size_t>(n, c.length), field);
            return Status::ok();
        }
    }
}

}  // namespace

Status putJet4FixedValue(uint8_t* field, const ColumnDef& column, const Value& value) {
    return putFixedField(field, column, value, refusingLongValueSink());
}

std::vector<uint8_t> encodeJet4TextValue(const ColumnDef& column, const std::string& utf8) {
    std::vector<uint8_t> out;
    appendJet4Text(out, column, utf8);
    return out;
}

Status encodeJet4RowInto(const store::TableSchema& schema, size_t fixedArea, const store::Row& row,
                         const LongValueSink& longValues, RowBuffers& buffers) {
    const size_t slots = schema.variableColumns;
    std::vector<uint8_t>& out = buffers.image;
    out.assign(2 + fixedArea, 0);
    putU16(out, 0, uint16_t(schema.maxColumns));
    std::vector<size_t>& slotValues = buffers.slotValues;
    VELMORA_RETURN_IF_ERROR(walkRowColumns(schema, row, out.data() + 2, buffers.mask, slotValues,
                                           [&](uint8_t* field, const ColumnDef& c, const Value& v) {
                                               return putFixedField(field, c, v, longValues);
                                           }));
    if (slots > 0) {
        // Offsets are 16 bits; anything that large is refused below as too long anyway. Each
        // slot's entry turns from the value it holds into where its data starts.
        for (size_t& slot : slotValues) {
            const size_t value = slot;
            slot = out.size();
            if (value < row.size()) {
                VELMORA_RETURN_IF_ERROR(
                    appendVariable(out, schema.columns[value], row[value], longValues));
            }
        }
        const auto end = uint16_t(out.size());
        size_t trailer = out.size();
        out.resize(trailer + 2 + 2 * slots + 2);
        putU16(out, trailer, end);
        for (size_t s = 0; s < slots; ++s)
            putU16(out, trailer + 2 + 2 * (slots - 1 - s), uint16_t(slotValues[s]));
        putU16(out, trailer + 2 + 2 * slots, uint16_t(slots));
    }
    out.insert(out.end(), buffers.mask.begin(), buffers.mask.end());
    if (out.size() > kJet4MaxRowSize) {
        return Status::error(err::kRecordTooLarge,
                             "Record is too large (" + std::to_string(out.size()) +
                                 " bytes; a row of table '" + schema.name + "' holds at most " +
                                 std::to_string(kJet4MaxRowSize) + ").");
    }
    return Status::ok();
}

Result<std::vector<uint8_t>> encodeJet4Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues) {
    RowBuffers buffers;
    VELMORA_RETURN_IF_ERROR(
        encodeJet4RowInto(schema, fixedAreaSize(schema), row, longValues, buffers));
    return std::move(buffers.image);
}

}  // namespace velmora::engine::jet
