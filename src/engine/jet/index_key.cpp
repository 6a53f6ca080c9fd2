// Index key encoding for every column type.
#include "engine/jet/index_key.h"

#include <cstring>
#include <optional>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/jet/jet4_row_encoder.h"
#include "engine/jet/row_fit.h"
#include "engine/jet/row_image.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

constexpr uint8_t kStartAscending = 0x7F;
constexpr uint8_t kStartDescending = 0x80;
constexpr uint8_t kNullAscending = 0x00;
constexpr uint8_t kNullDescending = 0xFF;

Status typeMismatch(const ColumnDef& column) {
    return Status::error(err::kTypeConversion,
                         "value of column '" + column.name + "' does not match its type");
}

void appendInverted(KeyBytes& out, size_t from, bool ascending) {
    if (ascending)
        return;
    for (size_t i = from; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(~out[i]);
}

// Big-endian two's complement with the sign bit flipped, so that unsigned byte order is
// numeric order.
void appendSigned(KeyBytes& out, int64_t v, int bytes) {
    auto u = static_cast<uint64_t>(v);
    size_t start = out.size();
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(u >> (8 * i)));
    out[start] ^= 0x80;
}

// Big-endian IEEE bytes: positive numbers get the sign bit set, negative ones are inverted.
void appendFloatBits(KeyBytes& out, uint64_t bits, int bytes) {
    bool negative = (bits >> (8 * bytes - 1)) & 1;
    size_t start = out.size();
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    if (negative) {
        for (size_t i = start; i < out.size(); ++i)
            out[i] = static_cast<uint8_t>(~out[i]);
    } else {
        out[start] ^= 0x80;
    }
}

// Binary data in 8-byte segments: each full segment followed by more data gets 0x09, the last
// one is zero-padded and followed by its count of real bytes. Descending inverts the data and
// the final count, but not the 0x09 continuation bytes.
void appendBinarySegments(KeyBytes& out, const uint8_t* data, size_t size, bool ascending) {
    size_t pos = 0;
    auto flip = [&](uint8_t b) { return ascending ? b : static_cast<uint8_t>(~b); };
    while (size - pos > 8) {
        for (size_t i = 0; i < 8; ++i)
            out.push_back(flip(data[pos + i]));
        out.push_back(0x09);
        pos += 8;
    }
    size_t rest = size - pos;
    for (size_t i = 0; i < 8; ++i)
        out.push_back(flip(i < rest ? data[pos + i] : 0));
    out.push_back(flip(static_cast<uint8_t>(rest)));
}

bool isIndexable(ColumnType type) {
    switch (type) {
        case ColumnType::Boolean:
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::Currency:
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime:
        case ColumnType::Binary:
        case ColumnType::Text:
        case ColumnType::Memo:
        case ColumnType::Guid:
        case ColumnType::Numeric:
            return true;
        default:
            return false;
    }
}

Status checkColumnEncodable(const ColumnDef& column, KeyFormat format) {
    if (!isIndexable(column.type)) {
        return Status::error(err::kOperationNotSupported,
                             "column '" + column.name + "' has a type that cannot be indexed");
    }
    if (column.type == ColumnType::Text || column.type == ColumnType::Memo) {
        bool general = column.sortOrder == store::kGeneralSortOrder &&
                       (format == KeyFormat::Jet3 || column.sortVersion == 0);
        if (!general) {
            return Status::error(err::kOperationNotSupported,
                                 "column '" + column.name + "' uses sort order " +
                                     std::to_string(column.sortOrder) + " version " +
                                     std::to_string(column.sortVersion) +
                                     "; only the General sort order (1033) can be written");
        }
    }
    return Status::ok();
}

}  // namespace

Status appendColumnKey(KeyBytes& out, const ColumnDef& column, const Value& value, bool ascending,
                       KeyFormat format) {
    VELMORA_RETURN_IF_ERROR(checkColumnEncodable(column, format));
    if (column.type == ColumnType::Boolean) {
        // Yes/No is never Null in an index: Null reads as No.
        bool b = false;
        if (auto* p = std::get_if<bool>(&value))
            b = *p;
        else if (!store::isNull(value))
            return typeMismatch(column);
        out.push_back(ascending ? kStartAscending : kStartDescending);
        out.push_back(static_cast<uint8_t>((b == ascending) ? 0x00 : 0xFF));
        return Status::ok();
    }
    if (store::isNull(value)) {
        out.push_back(ascending ? kNullAscending : kNullDescending);
        return Status::ok();
    }
    out.push_back(ascending ? kStartAscending : kStartDescending);
    size_t start = out.size();
    switch (column.type) {
        case ColumnType::Byte: {
            auto* v = std::get_if<int64_t>(&value);
            if (!v)
                return typeMismatch(column);
            out.push_back(static_cast<uint8_t>(*v));
            break;
        }
        case ColumnType::Integer:
        case ColumnType::Long: {
            auto* v = std::get_if<int64_t>(&value);
            if (!v)
                return typeMismatch(column);
            appendSigned(out, *v, column.type == ColumnType::Integer ? 2 : 4);
            break;
        }
        case ColumnType::Currency: {
            auto* v = std::get_if<store::Currency>(&value);
            if (!v)
                return typeMismatch(column);
            appendSigned(out, v->scaled, 8);
            break;
        }
        case ColumnType::Single: {
            auto* v = std::get_if<float>(&value);
            if (!v)
                return typeMismatch(column);
            uint32_t bits;
            std::memcpy(&bits, v, 4);
            appendFloatBits(out, bits, 4);
            break;
        }
        case ColumnType::Double:
        case ColumnType::DateTime: {
            double d = 0;
            if (auto* v = std::get_if<double>(&value))
                d = *v;
            else if (auto* t = std::get_if<store::DateTime>(&value))
                d = t->days;
            else
                return typeMismatch(column);
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            appendFloatBits(out, bits, 8);
            break;
        }
        case ColumnType::Guid: {
            auto* g = std::get_if<store::Guid>(&value);
            if (!g)
                return typeMismatch(column);
            // Text order: undo the little-endian storage of the first three groups.
            static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
            uint8_t text[16];
            for (int i = 0; i < 16; ++i)
                text[i] = g->bytes[kOrder[i]];
            appendBinarySegments(out, text, 16, ascending);
            return Status::ok();
        }
        case ColumnType::Binary: {
            auto* b = std::get_if<store::Blob>(&value);
            if (!b)
                return typeMismatch(column);
            appendBinarySegments(out, b->data(), b->size(), ascending);
            return Status::ok();
        }
        case ColumnType::Text:
        case ColumnType::Memo: {
            auto* s = std::get_if<std::string>(&value);
            if (!s)
                return typeMismatch(column);
            Status text = format == KeyFormat::Jet4
                              ? store::appendGeneralLegacyTextKey(out, *s, ascending)
                              : store::appendGeneral97TextKeyUtf8(out, *s, ascending);
            if (!text.isOk())
                return text.withContext("column '" + column.name + "': ");
            return Status::ok();
        }
        case ColumnType::Numeric: {
            auto* d = std::get_if<store::Decimal>(&value);
            if (!d)
                return typeMismatch(column);
            unsigned __int128 magnitude = d->magnitude;
            for (uint8_t s = d->scale; s < column.scale; ++s)
                magnitude *= 10;
            for (uint8_t s = column.scale; s < d->scale; ++s)
                magnitude /= 10;
            bool negative = d->negative && magnitude != 0;
            out.push_back(negative ? 0x80 : 0x00);
            for (int i = 15; i >= 0; --i)
                out.push_back(static_cast<uint8_t>(magnitude >> (8 * i)));
            // Jet 4's legacy numeric order: inverted when the sign matches the direction.
            if (negative == ascending) {
                for (size_t i = start; i < out.size(); ++i)
                    out[i] = static_cast<uint8_t>(~out[i]);
            }
            out[start] = negative ? 0x00 : 0xFF;
            return Status::ok();
        }
        default:
            return typeMismatch(column);
    }
    appendInverted(out, start, ascending);
    return Status::ok();
}

Status checkIndexEncodable(const store::TableSchema& schema, const store::RealIndex& index,
                           KeyFormat format) {
    for (const store::IndexColumn& ic : index.columns) {
        const ColumnDef* column = nullptr;
        for (const ColumnDef& c : schema.columns) {
            if (c.number == ic.columnNumber)
                column = &c;
        }
        if (column == nullptr) {
            return Status::error(err::kNotADatabase, "index of table '" + schema.name +
                                                         "' names missing column " +
                                                         std::to_string(ic.columnNumber));
        }
        VELMORA_RETURN_IF_ERROR(checkColumnEncodable(*column, format));
    }
    return Status::ok();
}

Status appendIndexKey(KeyBytes& out, const store::TableSchema& schema,
                      const store::RealIndex& index, const store::Row& row, KeyFormat format) {
    for (const store::IndexColumn& ic : index.columns) {
        // A column's number is its position until a column before it is dropped; numbers are
        // unique, so a column found there is the one.
        size_t pos = ic.columnNumber;
        if (pos >= schema.columns.size() || schema.columns[pos].number != ic.columnNumber) {
            pos = schema.columns.size();
            for (size_t i = 0; i < schema.columns.size(); ++i) {
                if (schema.columns[i].number == ic.columnNumber)
                    pos = i;
            }
        }
        if (pos == schema.columns.size() || pos >= row.size()) {
            return Status::error(err::kNotADatabase, "index of table '" + schema.name +
                                                         "' names missing column " +
                                                         std::to_string(ic.columnNumber));
        }
        VELMORA_RETURN_IF_ERROR(
            appendColumnKey(out, schema.columns[pos], row[pos], ic.ascending, format));
    }
    return Status::ok();
}

Result<KeyBytes> encodeIndexKey(const store::TableSchema& schema, const store::RealIndex& index,
                                const store::Row& row, KeyFormat format) {
    KeyBytes key;
    key.reserve(16 * index.columns.size());
    VELMORA_RETURN_IF_ERROR(appendIndexKey(key, schema, index, row, format));
    return key;
}

bool allKeyColumnsNull(const store::TableSchema& schema, const store::RealIndex& index,
                       const store::Row& row) {
    for (const store::IndexColumn& ic : index.columns) {
        for (size_t i = 0; i < schema.columns.size() && i < row.size(); ++i) {
            if (schema.columns[i].number == ic.columnNumber && !store::isNull(row[i]))
                return false;
        }
    }
    return true;
}

Status JetRowRules::checkRowFits(const store::TableSchema& schema, const store::Row& row) const {
    const JetFormat& fmt = m_format == KeyFormat::Jet4 ? jet4Format() : jet3Format();
    // Most rows are far below a page; only a row that may come near it is encoded.
    if (m_format == KeyFormat::Jet4) {
        std::optional<size_t> bound = jet4RowSizeBound(schema, row);
        if (bound && *bound <= kJet4MaxRowSize)
            return Status::ok();
    }
    // Long values move out of the row when inline ones would make it too large.
    if (encodeRowFor(fmt, m_codePage, schema, row, sizingLongValueSink()).isOk())
        return Status::ok();
    LongValueSink outOfRow = [](const store::ColumnDef&,
                                const std::vector<uint8_t>&) -> Result<std::vector<uint8_t>> {
        return std::vector<uint8_t>(12, 0);
    };
    Result<std::vector<uint8_t>> image = encodeRowFor(fmt, m_codePage, schema, row, outOfRow);
    return image.isOk() ? Status::ok() : image.status();
}

}  // namespace velmora::engine::jet
