#include "engine/sql/session.h"

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/sql/executor.h"
#include "engine/sql/expression.h"
#include "engine/store/constraints.h"

namespace velmora::engine::sql {

using store::RowId;
using store::Value;

Result<QueryResult> Session::query(std::string_view sql) {
    VELMORA_ASSIGN_OR_RETURN(Statement * st, m_statements.prepare(sql));
    return query(*st);
}

Status Session::execute(std::string_view sql) {
    VELMORA_ASSIGN_OR_RETURN(Statement * st, m_statements.prepare(sql));
    return execute(*st);
}

Result<QueryResult> Session::query(PreparedStatement& prepared) {
    VELMORA_RETURN_IF_ERROR(prepared.checkAllSet());
    return query(prepared.statement());
}

Status Session::execute(PreparedStatement& prepared) {
    VELMORA_RETURN_IF_ERROR(prepared.checkAllSet());
    return execute(prepared.statement());
}

Status Session::queryAgain(PreparedStatement& prepared, QueryResult& result) {
    VELMORA_RETURN_IF_ERROR(prepared.checkAllSet());
    return queryInto(prepared.statement(), result);
}

Status Session::queryAgain(std::string_view sql, QueryResult& result) {
    VELMORA_ASSIGN_OR_RETURN(Statement * st, m_statements.prepare(sql));
    return queryInto(*st, result);
}

Result<QueryResult> Session::query(Statement& st) {
    QueryResult result;
    VELMORA_RETURN_IF_ERROR(queryInto(st, result));
    return result;
}

Status Session::queryInto(Statement& st, QueryResult& result) {
    auto* select = std::get_if<SelectStatement>(&st);
    if (!select || !select->into.empty())
        return jetError(err::kInvalidOperation);
    return runSelectOver(*this, *select, result);
}

Status Session::execute(Statement& st) {
    if (auto* select = std::get_if<SelectStatement>(&st)) {
        if (select->into.empty())
            return jetError(err::kCannotExecuteSelect);
        VELMORA_RETURN_IF_ERROR(checkWritable());
        return runSelectInto(*this, *select);
    }
    VELMORA_RETURN_IF_ERROR(checkWritable());
    if (auto* s = std::get_if<DeleteStatement>(&st))
        return runDelete(*this, *s);
    if (auto* s = std::get_if<UpdateStatement>(&st))
        return runUpdate(*this, *s);
    return runInsert(*this, std::get<InsertStatement>(st));
}

Result<QueryResult> Session::tableRows(const std::string& name) {
    VELMORA_ASSIGN_OR_RETURN(store::Table * table, m_db.table(name));
    QueryResult r;
    r.baseTable = table->schema().name;
    const auto& columns = table->schema().columns;
    for (size_t i = 0; i < columns.size(); ++i) {
        ResultColumn c;
        c.name = columns[i].name;
        c.type = columns[i].type;
        c.size = columns[i].type == store::ColumnType::Text ? textCapacity(columns[i])
                 : columns[i].isLongValue()                 ? 0
                                                            : columns[i].length;
        c.baseColumn = static_cast<int>(i);
        r.columns.push_back(std::move(c));
    }
    table->forEachLive([&](RowId id, const store::Row& row) {
        r.rows.push_back(row);
        r.baseRows.push_back(id);
    });
    return r;
}

Status Session::checkWritable() const {
    if (!m_db.isReadOnly())
        return Status::ok();
    return jetError(err::kReadOnlyDatabase, m_db.readOnlyReason());
}

int Session::textCapacity(const store::ColumnDef& column) const {
    return m_db.rowRules().maxTextChars(column);
}

Result<Value> Session::convertFor(const store::ColumnDef& column, const Value& value) {
    return store::convertForColumn(column, value, m_db.rowRules());
}

Result<RowId> Session::insertRow(store::Table& table, store::Row row) {
    VELMORA_RETURN_IF_ERROR(checkWritable());
    row.resize(table.schema().columns.size(), store::Null{});
    const uint64_t before = table.changeCount();
    VELMORA_ASSIGN_OR_RETURN(RowId id, store::insertRow(table, std::move(row), m_db.rowRules()));
    m_lookups.rowInserted(table, id, before);
    return id;
}

Status Session::updateRow(store::Table& table, RowId id, store::Row row, store::Row* stored) {
    VELMORA_RETURN_IF_ERROR(checkWritable());
    if (!table.isLive(id))
        return jetError(err::kRecordDeleted);
    row.resize(table.schema().columns.size(), store::Null{});
    const uint64_t before = table.changeCount();
    store::RowUpdate done;
    if (stored) {
        done.before = std::move(*stored);
        done.beforeGiven = true;
    }
    Status st = store::updateRow(table, id, std::move(row), m_db.rowRules(), &done);
    if (!st.isOk()) {
        if (stored)
            *stored = std::move(done.before);
        return st;
    }
    m_lookups.rowUpdated(table, id, done.before, done.after, before);
    return Status::ok();
}

Status Session::updateValues(store::Table& table, RowId id, store::ValuesUpdate& update) {
    VELMORA_RETURN_IF_ERROR(checkWritable());
    if (!table.isLive(id))
        return jetError(err::kRecordDeleted);
    const uint64_t before = table.changeCount();
    VELMORA_RETURN_IF_ERROR(store::updateValues(table, id, update, m_db.rowRules()));
    m_lookups.valuesUpdated(table, id, update, before);
    return Status::ok();
}

Status Session::deleteRow(store::Table& table, RowId id) {
    VELMORA_RETURN_IF_ERROR(checkWritable());
    if (!table.isLive(id))
        return jetError(err::kRecordDeleted);
    store::Row old = table.row(id);
    const uint64_t before = table.changeCount();
    VELMORA_RETURN_IF_ERROR(store::deleteRow(table, id));
    m_lookups.rowErased(table, id, old, before);
    return Status::ok();
}

Status Session::checkNewIndex(store::Table& table, const store::RealIndex& index, bool primary) {
    return store::checkNewIndex(table, index, primary, m_db.rowRules());
}

Status Session::dropTable(const std::string& name) {
    VELMORA_RETURN_IF_ERROR(checkWritable());
    if (m_db.hasTable(name)) {
        auto table = m_db.table(name);
        if (table.isOk())
            m_lookups.forget(**table);
    }
    return m_db.dropTable(name);
}

void Session::rollback() {
    m_lookups.clear();
    m_db.rollback();
}

}  // namespace velmora::engine::sql
