// A SQL session on one database: runs statements, and is the one place through which rows
// are added, changed and deleted, so that key rules are checked and the hash lookups stay
// current.
//
// Semantics, as Jet has them: names match without regard to letter case; a name that is no
// column is a parameter, and a statement with parameters fails with 3061; text compares by
// the index collation; Null equals nothing; without ORDER BY the rows of one table come in
// stored order and the rows of a join in the order of its left table (the right table for a
// RIGHT JOIN); GROUP BY returns its groups sorted by the grouping values. Action statements
// change all their rows or, when one row fails, none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/status.h"
#include "engine/sql/lookup_cache.h"
#include "engine/sql/prepared_statement.h"
#include "engine/sql/result_rows.h"
#include "engine/sql/statement_cache.h"
#include "engine/store/database.h"

namespace velmora::engine::sql {

struct ResultColumn {
    std::string name;
    store::ColumnType type = store::ColumnType::Text;
    int size = 0;         // Text: characters; other types: bytes
    int baseColumn = -1;  // the base table's column this shows, when the result is updatable
};

struct QueryResult {
    std::vector<ResultColumn> columns;
    ResultRows rows;
    // Set when the result is one table's rows (one table, no grouping, no DISTINCT): its name
    // and, parallel to `rows`, the row ids, so a dynaset can show and change them.
    std::string baseTable;
    std::vector<store::RowId> baseRows;
};

class Session {
public:
    explicit Session(store::Database& db) : m_db(db) {}

    store::Database& database() { return m_db; }

    // Runs a SELECT without INTO.
    Result<QueryResult> query(std::string_view sql);
    // Runs DELETE, UPDATE, INSERT or SELECT ... INTO (3065 for a plain SELECT).
    Status execute(std::string_view sql);
    // The same for a statement parsed once, with the values its parameters hold now (3061
    // while one has none).
    Result<QueryResult> query(PreparedStatement& statement);
    Status execute(PreparedStatement& statement);
    // Runs a SELECT again into the result of its last run, whose rows it replaces and whose
    // storage it keeps: a statement parsed once, with its parameters' values now, or a text.
    // On failure the rows `result` holds are no answer.
    Status queryAgain(PreparedStatement& statement, QueryResult& result);
    Status queryAgain(std::string_view sql, QueryResult& result);
    // The rows a table holds, in stored order, as a result over every column.
    Result<QueryResult> tableRows(const std::string& table);

    // Checked row changes (the store's constraint checks: conversion, AutoNumber, Null and
    // duplicate keys, text size), keeping the lookups current. `row` is in the table's column
    // order; values are converted to the column types.
    Result<store::RowId> insertRow(store::Table& table, store::Row row);
    // `stored`, when given, is the row as the table holds it now (read since the table last
    // changed); it spares reading the row again and is used up by a successful update.
    Status updateRow(store::Table& table, store::RowId id, store::Row row,
                     store::Row* stored = nullptr);
    // The same for some values of a row alone (store::updateValues).
    Status updateValues(store::Table& table, store::RowId id, store::ValuesUpdate& update);
    Status deleteRow(store::Table& table, store::RowId id);
    // Converts a value for a column (3421, 3163).
    Result<store::Value> convertFor(const store::ColumnDef& column, const store::Value& value);
    // Characters a Text column holds.
    int textCapacity(const store::ColumnDef& column) const;

    // Checks that the rows satisfy an index before it is added (3022, 3058).
    Status checkNewIndex(store::Table& table, const store::RealIndex& index, bool primary);

    Status dropTable(const std::string& name);
    // After the database forgot its uncommitted changes: the cached lookups go too.
    void rollback();

    LookupCache& lookups() { return m_lookups; }

private:
    Result<QueryResult> query(Statement& statement);
    Status queryInto(Statement& statement, QueryResult& result);
    Status execute(Statement& statement);
    Status checkWritable() const;

    store::Database& m_db;
    LookupCache m_lookups;
    StatementCache m_statements;
};

}  // namespace velmora::engine::sql
