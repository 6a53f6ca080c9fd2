// DELETE, UPDATE, INSERT and SELECT ... INTO. Each finds its rows first and then changes
// them; when one change is refused, the ones already made are undone, so a statement changes
// all its rows or none.
#include <algorithm>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/sql/ast_walk.h"
#include "engine/sql/executor.h"
#include "engine/sql/expression.h"
#include "engine/store/constraints.h"
#include "engine/store/packed_rows.h"

namespace velmora::engine::sql {

using store::RowId;
using store::Value;

namespace {

// The ids of the rows of one table a WHERE selects, in stored order.
Result<std::vector<RowId>> matchingRows(Session& session, std::vector<Source>& sources,
                                        Expr* where) {
    std::vector<RowId> ids;
    store::Table& table = *sources[0].table;
    // Room for every row at once: a statement over the whole table would otherwise double
    // the list up to twice the rows, touching each doubling's memory anew.
    if (!where) {
        ids.reserve(table.liveRowCount());
        table.forEachLiveId([&](RowId id) { ids.push_back(id); });
        return ids;
    }
    std::vector<Expr*> parts;
    conjuncts(where, parts);
    std::vector<std::pair<int, const Value*>> keys;
    for (Expr* p : parts) {
        if (p->kind != ExprKind::Binary || p->op != Op::Equal)
            continue;
        if (isColumnOf(*p->left, 0) && p->right->kind == ExprKind::Literal)
            keys.emplace_back(p->left->column, &p->right->value);
        else if (isColumnOf(*p->right, 0) && p->left->kind == ExprKind::Literal)
            keys.emplace_back(p->right->column, &p->left->value);
    }
    std::vector<RowId> candidates;
    if (!keys.empty()) {
        std::sort(keys.begin(), keys.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        keys.erase(std::unique(keys.begin(), keys.end(),
                               [](const auto& a, const auto& b) { return a.first == b.first; }),
                   keys.end());
        std::vector<int> columns;
        std::vector<Value> values;
        for (auto& [c, v] : keys) {
            columns.push_back(c);
            values.push_back(*v);
        }
        if (auto key = valuesKey(values))
            candidates = session.lookups().find(table, columns, *key);
    } else {
        candidates.reserve(table.liveRowCount());
        table.forEachLiveId([&](RowId id) { candidates.push_back(id); });
    }
    for (RowId id : candidates) {
        EvalContext ctx{&sources, &id, nullptr};
        VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(*where, ctx));
        if (t == Truth::True)
            ids.push_back(id);
    }
    return ids;
}

Result<std::vector<Source>> oneTable(Session& session, const std::string& name) {
    VELMORA_ASSIGN_OR_RETURN(store::Table * table, session.database().table(name));
    return std::vector<Source>{Source{table->schema().name, "", table}};
}

// The columns an UPDATE reads of its rows: those its assignments and WHERE name, and those
// the checks of the values it assigns ask about (store::columnsReadByUpdate()); every column
// when the checks read whole rows. A table loaded for the statement leaves the others unread.
std::vector<uint8_t> columnsUpdateReads(UpdateStatement& s, const store::TableSchema& schema) {
    std::vector<int> assigned;
    for (const auto& a : s.assignments) {
        const auto col = schema.findColumn(a.column);
        if (!col)
            return {};  // refused once the table is there
        assigned.push_back(int(*col));
    }
    std::vector<uint8_t> read = store::columnsReadByUpdate(schema, assigned);
    if (read.empty())
        return read;
    // A name that is no column of the table is a parameter, and reads nothing.
    const auto mark = [&](const Expr& e) {
        if (e.kind != ExprKind::Column)
            return;
        if (const auto col = schema.findColumn(e.name))
            read[*col] = 1;
    };
    for (auto& a : s.assignments)
        forEachExpr(a.value.get(), mark);
    forEachExpr(s.where.get(), mark);
    return read;
}

// Layout of a new table's columns: fixed columns packed in order, variable ones numbered.
store::TableSchema schemaFor(const std::string& name, const std::vector<ResultColumn>& columns) {
    store::TableSchema schema;
    schema.name = name;
    uint16_t fixedOffset = 0, variableSlot = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        store::ColumnDef col;
        col.name = columns[i].name;
        col.type = columns[i].type;
        col.number = static_cast<uint16_t>(i);
        switch (col.type) {
            case store::ColumnType::Text:
                col.length = static_cast<uint16_t>(
                    2 * std::clamp(columns[i].size == 0 ? 255 : columns[i].size, 1, 255));
                break;
            case store::ColumnType::Memo:
            case store::ColumnType::Ole:
                col.length = 0;
                break;
            case store::ColumnType::Boolean:
            case store::ColumnType::Byte:
                col.length = 1;
                break;
            case store::ColumnType::Integer:
                col.length = 2;
                break;
            case store::ColumnType::Long:
            case store::ColumnType::Single:
                col.length = 4;
                break;
            case store::ColumnType::Guid:
                col.length = 16;
                break;
            case store::ColumnType::Numeric:
                col.length = 17;
                break;
            case store::ColumnType::Binary:
                col.length = 255;
                break;
            default:
                col.length = 8;
                break;
        }
        const bool variable =
            col.type == store::ColumnType::Text || col.type == store::ColumnType::Memo ||
            col.type == store::ColumnType::Ole || col.type == store::ColumnType::Binary;
        if (col.type == store::ColumnType::Text)
            col.extendedFlags = 0x01;  // compressed Unicode, as Access makes text columns
        if (variable) {
            col.variableSlot = variableSlot++;
        } else {
            col.flags |= store::column_flag::kFixed;
            if (col.type != store::ColumnType::Boolean) {
                col.fixedOffset = fixedOffset;
                fixedOffset = static_cast<uint16_t>(fixedOffset + col.length);
            }
        }
        schema.columns.push_back(std::move(col));
    }
    schema.maxColumns = static_cast<uint16_t>(columns.size());
    schema.variableColumns = variableSlot;
    return schema;
}

}  // namespace

Status runDelete(Session& session, DeleteStatement& s) {
    VELMORA_ASSIGN_OR_RETURN(auto sources, oneTable(session, s.table));
    Binder binder(sources);
    if (s.where)
        VELMORA_RETURN_IF_ERROR(binder.bind(*s.where, nullptr));
    VELMORA_RETURN_IF_ERROR(binder.checkParameters());
    VELMORA_ASSIGN_OR_RETURN(auto ids, matchingRows(session, sources, s.where.get()));
    for (RowId id : ids)
        VELMORA_RETURN_IF_ERROR(session.deleteRow(*sources[0].table, id));
    return Status::ok();
}

Status runUpdate(Session& session, UpdateStatement& s) {
    VELMORA_ASSIGN_OR_RETURN(
        store::Table * read,
        session.database().tableReading(s.table, [&](const store::TableSchema& schema) {
            return columnsUpdateReads(s, schema);
        }));
    std::vector<Source> sources{Source{read->schema().name, "", read}};
    store::Table& table = *read;
    Binder binder(sources);
    std::vector<int> targets;
    for (auto& a : s.assignments) {
        if (!a.table.empty() && !store::sameName(a.table, sources[0].name)) {
            return namedJetError(err::kTooFewParameters, "1");
        }
        auto col = table.schema().findColumn(a.column);
        if (!col) {
            return namedJetError(err::kTooFewParameters, "1");
        }
        targets.push_back(static_cast<int>(*col));
        VELMORA_RETURN_IF_ERROR(binder.bind(*a.value, nullptr));
    }
    if (s.where)
        VELMORA_RETURN_IF_ERROR(binder.bind(*s.where, nullptr));
    VELMORA_RETURN_IF_ERROR(binder.checkParameters());
    VELMORA_ASSIGN_OR_RETURN(auto ids, matchingRows(session, sources, s.where.get()));

    // Each row takes its assigned values alone: the rest of it is neither read nor written. A
    // column assigned twice takes the last value. An expression reads the row it is computed
    // for and nothing else (no subquery, no other row), so a row's new values are computed
    // from it as it was just before it changes, and the rows changed before it do not enter.
    // Only the old assigned values are kept, packed, to undo a failure halfway: an UPDATE of
    // every channel would otherwise hold the table twice more.
    store::ValuesUpdate update;
    std::vector<size_t> slots;  // per assignment, its column's place in update.columns
    for (int column : targets) {
        slots.push_back(update.slotOf(size_t(column)));
        if (slots.back() == update.columns.size())
            update.columns.push_back(column);
    }
    update.values.resize(update.columns.size());
    store::PackedRows oldValues;  // the assigned columns of the rows changed so far, as they were
    oldValues.reserve(ids.size());
    const auto undo = [&](size_t changed) {
        for (size_t j = changed; j-- > 0;) {
            for (size_t i = 0; i < update.values.size(); ++i)
                oldValues.valueInto(j, i, update.values[i]);
            (void)session.updateValues(table, ids[j], update);
        }
    };
    const auto change = [&](size_t k) -> Status {
        EvalContext ctx{&sources, &ids[k], nullptr};
        for (size_t i = 0; i < targets.size(); ++i) {
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*s.assignments[i].value, ctx));
            VELMORA_ASSIGN_OR_RETURN(update.values[slots[i]],
                                     session.convertFor(table.schema().columns[targets[i]], v));
        }
        return session.updateValues(table, ids[k], update);
    };
    for (size_t k = 0; k < ids.size(); ++k) {
        Status st = change(k);
        if (!st.isOk()) {
            undo(k);
            return st;
        }
        oldValues.push_back(update.before);
    }
    return Status::ok();
}

Status runInsert(Session& session, InsertStatement& s) {
    VELMORA_ASSIGN_OR_RETURN(store::Table * table, session.database().table(s.table));
    const auto& columns = table->schema().columns;
    std::vector<int> targets;
    if (s.columns.empty()) {
        for (size_t i = 0; i < columns.size(); ++i)
            targets.push_back(static_cast<int>(i));
    } else {
        for (const auto& name : s.columns) {
            auto col = table->schema().findColumn(name);
            if (!col) {
                return namedJetError(err::kUnknownInsertField, name);
            }
            targets.push_back(static_cast<int>(*col));
        }
    }

    std::vector<store::Row> values;
    if (s.select) {
        VELMORA_ASSIGN_OR_RETURN(QueryResult r, runSelect(session, *s.select));
        if (r.columns.size() != targets.size() && !s.columns.empty()) {
            return jetError(err::kValueCountMismatch);
        }
        if (s.columns.empty()) {
            // Without a column list the SELECT's columns go to the fields of the same name.
            targets.clear();
            for (const auto& c : r.columns) {
                std::string name = c.name;
                const size_t dot = name.rfind('.');
                if (dot != std::string::npos)
                    name = name.substr(dot + 1);
                auto col = table->schema().findColumn(name);
                if (!col) {
                    return namedJetError(err::kUnknownInsertField, c.name);
                }
                targets.push_back(static_cast<int>(*col));
            }
        }
        values.assign(r.rows.begin(), r.rows.end());
    } else {
        if (s.values.size() != targets.size()) {
            return jetError(err::kValueCountMismatch);
        }
        std::vector<Source> none;
        Binder binder(none);
        for (auto& e : s.values)
            VELMORA_RETURN_IF_ERROR(binder.bind(*e, nullptr));
        VELMORA_RETURN_IF_ERROR(binder.checkParameters());
        store::Row row;
        EvalContext ctx{&none, nullptr, nullptr};
        for (auto& e : s.values) {
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*e, ctx));
            row.push_back(std::move(v));
        }
        values.push_back(std::move(row));
    }

    std::vector<RowId> added;
    for (auto& v : values) {
        store::Row row(columns.size(), store::Null{});
        for (size_t i = 0; i < targets.size(); ++i)
            row[targets[i]] = std::move(v[i]);
        auto id = session.insertRow(*table, std::move(row));
        if (!id.isOk()) {
            for (RowId a : added)
                (void)session.deleteRow(*table, a);
            return id.status();
        }
        added.push_back(*id);
    }
    return Status::ok();
}

Status runSelectInto(Session& session, SelectStatement& s) {
    if (session.database().hasTable(s.into))
        return namedJetError(err::kTableExists, s.into);
    VELMORA_ASSIGN_OR_RETURN(QueryResult r, runSelect(session, s));
    for (size_t i = 0; i < r.columns.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (store::sameName(r.columns[i].name, r.columns[j].name)) {
                return jetError(err::kFieldDefinedTwice);
            }
        }
    }
    VELMORA_ASSIGN_OR_RETURN(store::Table * table,
                             session.database().createTable(schemaFor(s.into, r.columns)));
    for (store::Row row : r.rows) {
        auto id = session.insertRow(*table, std::move(row));
        if (!id.isOk()) {
            (void)session.dropTable(s.into);
            return id.status();
        }
    }
    return Status::ok();
}

}  // namespace velmora::engine::sql
