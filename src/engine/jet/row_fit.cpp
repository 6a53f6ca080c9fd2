// Bounding the size of a Jet 4 row image without building it; see row_fit.h.
#include "engine/jet/row_fit.h"

#include <string>
#include <variant>

#include "engine/jet/jet4_row_encoder.h"
#include "engine/jet/row_image.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

// Whether the row encoder takes this non-Null value for this column.
bool encodable(const ColumnDef& c, const Value& v) {
    switch (c.type) {
        case ColumnType::Text:
        case ColumnType::Memo:
            return std::holds_alternative<std::string>(v);
        case ColumnType::Ole:
        case ColumnType::Binary:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11:
            return std::holds_alternative<store::Blob>(v);
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
            return std::holds_alternative<int64_t>(v);
        case ColumnType::Currency:
            return std::holds_alternative<store::Currency>(v);
        case ColumnType::Single:
            return std::holds_alternative<float>(v);
        case ColumnType::Double:
        case ColumnType::DateTime:
            return std::holds_alternative<double>(v) || std::holds_alternative<store::DateTime>(v);
        case ColumnType::Guid:
            return std::holds_alternative<store::Guid>(v);
        case ColumnType::Numeric:
            return std::holds_alternative<store::Decimal>(v);
        default:
            return false;
    }
}

// At least the bytes an encodable value takes in the variable area.
size_t variableBytesBound(const ColumnDef& c, const Value& v) {
    switch (c.type) {
        case ColumnType::Text:
            // UTF-16 has at most one unit per UTF-8 byte; the compressed form adds a
            // two-byte marker to one byte a character.
            return 2 * std::get<std::string>(v).size() + 2;
        case ColumnType::Memo:
        case ColumnType::Ole:
            return 12;  // the long value's header; its data lives outside the row
        case ColumnType::Binary:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11:
            return std::get<store::Blob>(v).size();
        default:
            return 17;  // the widest fixed-size value (Numeric)
    }
}

}  // namespace

std::optional<size_t> jet4RowSizeBound(const store::TableSchema& schema, const store::Row& row) {
    if (row.size() != schema.columns.size())
        return std::nullopt;
    const size_t slots = schema.variableColumns;
    // Column count, fixed area, null mask, and with variable slots the end-of-data offset,
    // one offset per slot and the slot count.
    size_t bound = 2 + fixedAreaSize(schema) + (size_t(schema.maxColumns) + 7) / 8;
    if (slots > 0)
        bound += 2 + 2 * slots + 2;
    for (size_t i = 0; i < row.size(); ++i) {
        const ColumnDef& c = schema.columns[i];
        const Value& v = row[i];
        if (c.number >= schema.maxColumns)
            return std::nullopt;
        if (c.type == ColumnType::Boolean) {
            if (!store::isNull(v) && !std::holds_alternative<bool>(v))
                return std::nullopt;
            continue;
        }
        if (store::isNull(v))
            continue;
        if (!encodable(c, v))
            return std::nullopt;
        if (c.isFixed())
            continue;  // inside the fixed area, whatever its length
        if (c.variableSlot >= slots)
            return std::nullopt;
        bound += variableBytesBound(c, v);
    }
    return bound;
}

}  // namespace velmora::engine::jet
