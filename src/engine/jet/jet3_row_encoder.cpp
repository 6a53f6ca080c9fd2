// Jet 3 row images; see jet3_row_encoder.h.
#include "engine/jet/jet3_row_encoder.h"

#include <algorithm>

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

// The bytes a variable-length column stores for a non-Null value.
Result<std::vector<uint8_t>> variableBytes(const ColumnDef& c, const Value& v,
                                           const LongValueSink& sink, uint16_t codePage) {
    switch (c.type) {
        case ColumnType::Text: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return mismatch(c);
            return encodeJet3TextValue(c, *s, codePage);
        }
        case ColumnType::Memo: {
            auto* s = std::get_if<std::string>(&v);
            if (!s)
                return mismatch(c);
            VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> data,
                                     encodeJet3TextValue(c, *s, codePage));
            return sink(c, std::move(data));
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
        default: {
            // A number stored as a variable column (Access does this in a few system tables).
            uint8_t buf[17];
            VELMORA_ASSIGN_OR_RETURN(size_t n, encodeFixedValue(c, v, buf));
            return std::vector<uint8_t>(buf, buf + n);
        }
    }
}

// Fills the fixed-area field of a non-Null value, cut to the column's size.
Status putFixedField(uint8_t* field, const ColumnDef& c, const Value& v, const LongValueSink& sink,
                     uint16_t codePage) {
    std::vector<uint8_t> bytes;
    if (c.type == ColumnType::Text) {
        auto* s = std::get_if<std::string>(&v);
        if (!s)
            return mismatch(c);
        VELMORA_ASSIGN_OR_RETURN(bytes, encodeJet3TextValue(c, *s, codePage));
        // Fixed text is padded with blanks to the column size.
        bytes.resize(std::max<size_t>(bytes.size(), c.length), 0x20);
    } else if (store::fixedWidth(c.type) == 0) {
        VELMORA_ASSIGN_OR_RETURN(bytes, variableBytes(c, v, sink, codePage));
    } else {
        uint8_t buf[17];
        VELMORA_ASSIGN_OR_RETURN(size_t n, encodeFixedValue(c, v, buf));
        bytes.assign(buf, buf + n);
    }
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), c.length), field);
    return Status::ok();
}

}  // namespace

Result<std::vector<uint8_t>> encodeJet3TextValue(const ColumnDef& column, const std::string& utf8,
                                                 uint16_t codePage) {
    std::optional<std::vector<uint8_t>> bytes = text::encodeCodePage(utf8, codePage);
    if (!bytes) {
        return Status::error(err::kTypeConversion, "the text of column '" + column.name +
                                                       "' has characters that code page " +
                                                       std::to_string(codePage) + " cannot hold");
    }
    return std::move(*bytes);
}

Result<std::vector<uint8_t>> encodeJet3Row(const store::TableSchema& schema, const store::Row& row,
                                           const LongValueSink& longValues, uint16_t codePage) {
    if (row.size() != schema.columns.size())
        return Status::error(err::kInvalidArgument, "row does not match its table's columns");
    const size_t columnCount = schema.maxColumns;
    const size_t slots = schema.variableColumns;
    if (columnCount > 255 || slots > 255) {
        return Status::error(err::kNotADatabase,
                             "table '" + schema.name + "' has more columns than a Jet 3 row holds");
    }
    const size_t maskSize = (columnCount + 7) / 8;
    size_t fixedArea = 0;
    for (const ColumnDef& c : schema.columns) {
        if (c.isFixed() && c.type != ColumnType::Boolean)
            fixedArea = std::max<size_t>(fixedArea, size_t(c.fixedOffset) + c.length);
    }
    std::vector<uint8_t> out(1 + fixedArea, 0);
    out[0] = uint8_t(columnCount);
    std::vector<uint8_t> mask(maskSize, 0);
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
        if (c.isFixed()) {
            VELMORA_RETURN_IF_ERROR(
                putFixedField(out.data() + 1 + c.fixedOffset, c, v, longValues, codePage));
        } else {
            if (c.variableSlot >= slots) {
                return Status::error(err::kNotADatabase, "column '" + c.name +
                                                             "' has a variable slot beyond the "
                                                             "table's count");
            }
            VELMORA_ASSIGN_OR_RETURN(variable[c.variableSlot],
                                     variableBytes(c, v, longValues, codePage));
        }
    }
    auto tooLarge = [&](size_t size) {
        return Status::error(err::kRecordTooLarge, "Record is too large (" + std::to_string(size) +
                                                       " bytes; a row of table '" + schema.name +
                                                       "' holds at most " +
                                                       std::to_string(kJet3MaxRowSize) + ").");
    };
    if (slots > 0) {
        std::vector<size_t> starts(slots + 1);
        for (size_t s = 0; s < slots; ++s) {
            starts[s] = out.size();
            out.insert(out.end(), variable[s].begin(), variable[s].end());
        }
        const size_t eod = out.size();
        starts[slots] = eod;
        if (eod > kJet3MaxRowSize)
            return tooLarge(eod);
        // The jump count depends on the whole length, which includes the jump bytes.
        size_t jumps = 0;
        for (;;) {
            size_t length = eod + 1 + slots + jumps + 1 + maskSize;
            size_t needed = (length - 1) / 256;
            if (needed == jumps)
                break;
            jumps = needed;
        }
        // Jumps the offsets need; a reader takes one more stored byte as a filler only.
        const size_t real = eod / 256;
        if (jumps > real + 1) {
            return Status::error(err::kOperationNotSupported,
                                 "a row of table '" + schema.name +
                                     "' has a trailer too long for the Jet 3 jump table");
        }
        out.push_back(uint8_t(eod & 0xFF));
        for (size_t s = slots; s-- > 0;)
            out.push_back(uint8_t(starts[s] & 0xFF));
        std::vector<uint8_t> table(jumps, 0xFF);
        for (size_t k = 0; k < real; ++k) {
            size_t first = 0;
            while (starts[first] < (k + 1) * 256)
                ++first;
            table[k] = uint8_t(first);
        }
        // Entry 0 sits next to n, so the table is stored last entry first.
        for (size_t k = jumps; k-- > 0;)
            out.push_back(table[k]);
        out.push_back(uint8_t(slots));
    }
    out.insert(out.end(), mask.begin(), mask.end());
    if (out.size() > kJet3MaxRowSize)
        return tooLarge(out.size());
    return out;
}

Result<std::vector<uint8_t>> encodeRowFor(const JetFormat& fmt, uint16_t codePage,
                                          const store::TableSchema& schema, const store::Row& row,
                                          const LongValueSink& longValues) {
    if (fmt.isJet4())
        return encodeJet4Row(schema, row, longValues);
    return encodeJet3Row(schema, row, longValues, codePage);
}

size_t maxSingleLongValue(const JetFormat& fmt) {
    return fmt.isJet4() ? 4076 : 2032;
}

size_t longValueChunk(const JetFormat& fmt) {
    return fmt.isJet4() ? 4072 : 2028;
}

}  // namespace velmora::engine::jet
