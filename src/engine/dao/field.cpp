#include "engine/dao/field.h"

#include <array>
#include <charconv>

#include "engine/base/error_text.h"
#include "engine/dao/recordset_impl.h"
#include "engine/sql/value_ops.h"
#include "engine/store/constraints.h"

namespace velmora::engine::dao {

int daoTypeCode(store::ColumnType type) {
    switch (type) {
        case store::ColumnType::Numeric:
            return type_code::kDecimal;
        case store::ColumnType::Unknown0D:
        case store::ColumnType::Unknown11:
            return type_code::kBinary;
        default:
            return static_cast<int>(type);  // Jet's column codes are DAO's for the rest
    }
}

void displayTextInto(const store::Value& value, std::string& out) {
    if (const auto* whole = std::get_if<int64_t>(&value)) {
        std::array<char, 24> digits;
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), *whole).ptr;
        out.assign(digits.data(), end);
        return;
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        out = *text;
        return;
    }
    out = sql::displayText(value);
}

std::string Field::name() const {
    return m_owner->m_impl->column(m_position).name;
}

int Field::type() const {
    return daoTypeCode(m_owner->m_impl->column(m_position).type);
}

int Field::size() const {
    return m_owner->m_impl->column(m_position).size;
}

const store::Value& Field::current() const {
    Recordset::Impl& d = *m_owner->m_impl;
    const sql::ResultColumn& c = d.column(m_position);
    if (d.mode == EditMode::AddNew && c.baseColumn >= 0)
        return d.buffer[c.baseColumn];
    if (d.mode == EditMode::Edit && c.baseColumn >= 0) {
        if (const store::Value* assigned = d.assigned.valueAt(static_cast<size_t>(c.baseColumn)))
            return *assigned;
    }
    d.checkCurrent();
    if (d.live && c.baseColumn >= 0) {
        store::Table& table = d.baseTable();
        const store::RowId id = d.result.baseRows[d.position];
        if (!table.isLive(id))
            throw DaoError(jetError(err::kRecordDeleted));
        table.valueInto(id, static_cast<size_t>(c.baseColumn), d.liveValue);
        return d.liveValue;
    }
    const store::Row& row = d.decodedCurrent();
    static const store::Value kNothing = store::Null{};
    const auto at = static_cast<size_t>(m_position);
    return at < row.size() ? row[at] : kNothing;
}

store::Value Field::value() const {
    return current();
}

bool Field::isNull() const {
    return store::isNull(current());
}

std::string Field::text() const {
    return sql::displayText(current());
}

void Field::setStoreValue(const store::Value& v) {
    Recordset::Impl& d = *m_owner->m_impl;
    const sql::ResultColumn& c = d.column(m_position);
    if (d.mode == EditMode::None)
        throw DaoError(jetError(err::kUpdateWithoutEdit));
    if (c.baseColumn < 0)
        throw DaoError(jetError(err::kFieldNotUpdatable));
    const store::ColumnDef& column = d.baseTable().schema().columns[c.baseColumn];
    // Jet converts on assignment, so a value that does not fit fails here, not at Update.
    store::Value converted = valueOrThrow(d.core->session->convertFor(column, v));
    if (d.mode == EditMode::AddNew) {
        d.buffer[c.baseColumn] = std::move(converted);
        return;
    }
    store::ValuesUpdate& assigned = d.assigned;
    const size_t slot = assigned.slotOf(static_cast<size_t>(c.baseColumn));
    if (slot < assigned.columns.size()) {
        assigned.values[slot] = std::move(converted);
    } else {
        assigned.columns.push_back(c.baseColumn);
        assigned.values.push_back(std::move(converted));
    }
}

void Field::setValue(std::string_view text) {
    setStoreValue(store::Value(std::string(text)));
}

void Field::setNumber(double number) {
    setStoreValue(store::Value(number));
}

void Field::setNull() {
    setStoreValue(store::Value(store::Null{}));
}

}  // namespace velmora::engine::dao
