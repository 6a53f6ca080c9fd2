// A database as the layers above the file format see it: named tables in catalog order,
// loaded on first use, changed in memory, and handed back to the storage for one atomic
// commit. The storage (a Jet file, or memory for tests) sits behind the TableStorage interface.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/store/constraints.h"
#include "engine/store/table.h"

namespace velmora::engine::store {

struct TableInfo {
    std::string name;
    bool system = false;  // the engine's own tables (MSys...)
};

// What a storage format offers: the catalog, loading a table, and committing changes.
class TableStorage {
public:
    virtual ~TableStorage() = default;

    // Every table of the catalog, in catalog order.
    virtual std::vector<TableInfo> listTables() = 0;
    virtual Result<std::unique_ptr<Table>> loadTable(const std::string& name) = 0;
    // The same for a statement that reads some columns only: `choose` marks them (one byte
    // per position of the schema, non-zero to read; an empty answer reads all), and the
    // storage may leave the others unread (Table::unreadColumns()). One that reads whole
    // tables only reads every column.
    using ColumnChoice = std::function<std::vector<uint8_t>(const TableSchema&)>;
    virtual Result<std::unique_ptr<Table>> loadColumns(const std::string& name,
                                                       const ColumnChoice& choose) {
        (void)choose;
        return loadTable(name);
    }
    // Reads the unread columns of a table loadColumns() gave, from the rows as stored, and
    // marks them read.
    virtual Status readUnreadColumns(Table& table);

    // Writes the changed and created tables and drops the dropped ones, as one atomic step.
    // `changed` holds every table whose isDirty() is set, including new ones.
    struct Changes {
        std::vector<Table*> changed;
        std::vector<std::string> created;  // names among `changed` that are new
        std::vector<std::string> dropped;
    };
    virtual Status commit(const Changes& changes) = 0;

    // Gives a table about to be created the stored layout of this storage (column numbers,
    // slots, offsets, flags), so rows can be checked against it before the first commit.
    virtual Status prepareNewTable(TableSchema&) const { return Status::ok(); }

    // Why nothing may be written (empty when the storage is writable).
    virtual std::string readOnlyReason() const = 0;

    // Index keys, text capacity and row-size limits of this storage, for the checked changes
    // of constraints.h (insertRow, updateRow). Memory tables use General-collation keys.
    virtual const RowRules& rowRules() const { return memoryRowRules(); }
};

class Database {
public:
    explicit Database(std::unique_ptr<TableStorage> storage);

    // Names in catalog order, new tables last; system tables only when asked.
    std::vector<std::string> tableNames(bool includeSystem = false) const;
    bool hasTable(const std::string& name) const;

    // The table by name (case-insensitive), loaded on first use; 3078 when there is none.
    Result<Table*> table(const std::string& name);
    // The same for one statement that reads only the columns `choose` marks: loaded for it,
    // the table may leave the others unread (TableStorage::loadColumns()). Those are read
    // before the table serves anyone else: by table(), by the next tableReading() that asks
    // for one of them, and by commit() unless the table changed in fixed values in place
    // alone (Table::changedInPlaceOnly()).
    Result<Table*> tableReading(const std::string& name, const TableStorage::ColumnChoice& choose);

    // A new, empty table; 3010 when the name is taken.
    Result<Table*> createTable(TableSchema schema);
    // 3078 when there is no such table.
    Status dropTable(const std::string& name);

    bool isReadOnly() const { return !m_storage->readOnlyReason().empty(); }
    std::string readOnlyReason() const { return m_storage->readOnlyReason(); }

    // Commits every change since the last commit; a no-op when nothing changed.
    // 3027 on a read-only database with pending changes.
    Status commit();
    bool hasPendingChanges() const;

    // Forgets every change since the last commit (the tables reload on next use).
    void rollback();

    // Moves whenever a Table object this database handed out may be gone: rollback() and
    // dropTable() destroy them. Whoever keeps a Table* across calls looks the table up
    // again by name once this differs from the value it saw.
    uint64_t generation() const { return m_generation; }

    TableStorage& storage() { return *m_storage; }
    // The rules every checked insert and update of this database's tables uses.
    const RowRules& rowRules() const { return m_storage->rowRules(); }

private:
    struct Entry {
        TableInfo info;
        std::unique_ptr<Table> table;  // null until loaded
        bool created = false;
    };
    Entry* find(const std::string& name);
    const Entry* find(const std::string& name) const;

    std::unique_ptr<TableStorage> m_storage;
    std::vector<Entry> m_entries;  // catalog order
    std::vector<std::string> m_dropped;
    uint64_t m_generation = 0;
};

// Tables kept only in memory: for tests, and for building a database before it has a file.
class MemoryStorage : public TableStorage {
public:
    std::vector<TableInfo> listTables() override;
    Result<std::unique_ptr<Table>> loadTable(const std::string& name) override;
    Status commit(const Changes& changes) override;
    std::string readOnlyReason() const override { return m_readOnlyReason; }

    void setReadOnlyReason(std::string reason) { m_readOnlyReason = std::move(reason); }
    int commitCount() const { return m_commits; }

private:
    std::vector<std::pair<TableInfo, Table>> m_tables;
    std::string m_readOnlyReason;
    int m_commits = 0;
};

}  // namespace velmora::engine::store
