// The open database as the program's commands use it: record sets, action statements,
// table definitions, and the commit point at the end of every command.
//
// Changes are made in memory at once, so the next statement sees them; commit() writes
// everything since the last commit to the file as one atomic step, rollback() forgets it.
// The program's dispatcher calls commit() after every event and rollback() when an
// unguarded failure abandoned the command.
//
// Unguarded members throw DaoError; the try... members return the Jet error number.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/dao/query_def.h"
#include "engine/dao/recordset.h"
#include "engine/dao/table_defs.h"

namespace velmora::engine::store {
class Database;
class TableStorage;
}  // namespace velmora::engine::store

namespace velmora::engine::dao {

class Database {
public:
    Database(std::unique_ptr<store::TableStorage> storage, std::string path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& path() const { return m_path; }

    // A SELECT statement or a table name. A table name opens a Table record set by default;
    // SQL opens a dynaset by default. Table type with SQL text is 3001 (invalid argument).
    // Options and locking are accepted (recordset_option, LockType).
    Recordset openRecordset(std::string_view source, RecordsetType type = RecordsetType::Default,
                            int options = recordset_option::kNone,
                            LockType locking = LockType::Default);

    // A temporary query definition: the statement parsed once, to be run with new values
    // for the parameters it declares (query_def.h). Parse errors throw as openRecordset's do.
    QueryDef createQueryDef(std::string_view sql);

    // DELETE, UPDATE, INSERT INTO, SELECT ... INTO. A plain SELECT is 3065 ("Cannot execute a
    // select query"). 3027 on a read-only database.
    void execute(std::string_view sql);
    int tryExecute(std::string_view sql);

    TableDefs tableDefs();

    bool isReadOnly() const;
    // Why the file opened read-only ("locked by another program", "not writable"); empty
    // when writable.
    std::string readOnlyReason() const;

    // Writes every change since the last commit as one atomic step; a no-op without changes.
    void commit();
    int tryCommit();
    bool hasPendingChanges() const;
    // Forgets every change since the last commit.
    void rollback();

    // Commits the pending changes, as DAO writes them before it lets go of the file, then
    // releases the file; record sets, table definitions and further calls fail with 3420
    // afterwards. A failed commit throws and leaves the database open.
    void close();
    bool isOpen() const;

    // The engine's tables, for tools and tests.
    store::Database& store();

private:
    std::shared_ptr<DatabaseCore> m_core;
    std::string m_path;
};

}  // namespace velmora::engine::dao
