// The state behind a Recordset: its rows (a copy, or ids of the base table's rows), the
// cursor, and the record being edited or added.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/dao/database_core.h"
#include "engine/dao/recordset.h"
#include "engine/sql/session.h"

namespace velmora::engine::dao {

// What a requery runs again: a query definition's statement, with the values its parameters
// hold then, or a statement's text. Neither for a table's set.
struct RecordsetSource {
    std::shared_ptr<sql::PreparedStatement> statement;
    std::string sql;
};

struct Recordset::Impl {
    std::shared_ptr<DatabaseCore> core;
    RecordsetType type = RecordsetType::Snapshot;
    sql::QueryResult result;
    RecordsetSource source;
    // Dynasets and tables over one table read and write that table's rows live.
    bool live = false;
    bool open = true;
    // Cursor: 0..n-1 a record, -1 before the first, n after the last.
    long position = 0;
    size_t visited = 0;  // records reached so far (DAO's RecordCount before MoveLast)
    size_t deleted = 0;  // records deleted through this set
    std::vector<bool> deletedAt;

    EditMode mode = EditMode::None;
    store::Row buffer;  // the base row being added
    // The values assigned since Edit, by base column: Update stores them over the row as the
    // table holds it then, and a field not assigned reads the table.
    store::ValuesUpdate assigned;
    // The set's own rows are kept encoded; the row of the last field read is decoded whole
    // once (Field::current), `decodedAt` saying which (-1: none).
    store::Row decodedRow;
    long decodedAt = -1;
    // currentValues() of a set whose values are not all in decodedRow (a live set, an edit).
    store::Row valuesRead;
    // The last value read from the base table of a live set (Field::current).
    store::Value liveValue;

    // The base table of a live set, kept while the database's generation stays the one seen
    // when it was looked up (baseTable()).
    mutable store::Table* table = nullptr;
    mutable uint64_t tableGeneration = 0;

    long size() const { return static_cast<long>(result.rows.size()); }
    void checkOpen() const;
    void checkCurrent() const;  // 3021 without a current record
    // The base table, looked up by name again only after a rollback or a drop; 3078 when
    // it is gone.
    store::Table& baseTable() const;
    const sql::ResultColumn& column(int position) const;
    // The set's own copy of the current record, decoded once per record (3167 when it was
    // deleted through this set).
    const store::Row& decodedCurrent();
    void moved();
    // The cursor on the first of rows just read, nothing visited, deleted or pending before.
    void restart();
    // Leaves Edit or AddNew with nothing pending.
    void endEdit();
};

// A record set of `type` (never Default) over a statement's or a table's rows: dynasets and
// tables over one table's rows are live.
Recordset recordsetOver(std::shared_ptr<DatabaseCore> core, RecordsetType type,
                        sql::QueryResult result, RecordsetSource source = {});

}  // namespace velmora::engine::dao
