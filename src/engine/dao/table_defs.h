// Table and index definitions as DAO shows them: TableDefs (every table of the catalog, the
// engine's own MSys tables included), a TableDef's Indexes, and creating an index.
//
// TableDef and Index are handles: they read the database's current schema when asked, so a
// table made by SELECT ... INTO is seen without Refresh (refresh() is accepted and re-reads).
// Every member is unguarded (throws DaoError); use guarded() where a command tests it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::engine::dao {

struct DatabaseCore;

class IndexField {
public:
    explicit IndexField(std::string name) : m_name(std::move(name)) {}
    const std::string& name() const { return m_name; }

private:
    std::string m_name;
};

// An index: either read from a table (its name, fields and flags as stored) or made by
// TableDef::createIndex and not yet appended.
class Index {
public:
    explicit Index(std::string name) : m_name(std::move(name)) {}

    const std::string& name() const { return m_name; }
    bool primary() const { return m_primary; }
    bool unique() const { return m_unique || m_primary; }
    bool ignoreNulls() const { return m_ignoreNulls; }
    bool required() const { return m_required || m_primary; }
    void setPrimary(bool on) { m_primary = on; }
    void setUnique(bool on) { m_unique = on; }
    void setIgnoreNulls(bool on) { m_ignoreNulls = on; }
    void setRequired(bool on) { m_required = on; }

    // The index's fields in key order (DAO: Index.Fields).
    const std::vector<IndexField>& fields() const { return m_fields; }
    IndexField createField(std::string name) const { return IndexField(std::move(name)); }
    // Appends a field to an index that is not yet part of a table.
    void appendField(IndexField field) { m_fields.push_back(std::move(field)); }

private:
    std::string m_name;
    std::vector<IndexField> m_fields;
    bool m_primary = false;
    bool m_unique = false;
    bool m_ignoreNulls = false;
    bool m_required = false;
};

// A table's indexes (DAO: TableDef.Indexes).
class Indexes {
public:
    Indexes(std::shared_ptr<DatabaseCore> core, std::string table);

    int count() const;
    Index item(int position) const;           // 3265 when out of range
    Index item(std::string_view name) const;  // 3265 when absent
    std::vector<Index> all() const;
    // Adds the index to the table: 3012 when the name exists, 3265 when a field is no column,
    // 3022 when rows repeat the key of a unique index, 3058 when a key of a primary or
    // required index holds Null, 3027 on a read-only database. Nothing changes on failure.
    void append(const Index& index);
    void refresh();

    auto begin() const { return m_cache.begin(); }
    auto end() const { return m_cache.end(); }

private:
    std::shared_ptr<DatabaseCore> m_core;
    std::string m_table;
    std::vector<Index> m_cache;  // what begin()/end() iterate; rebuilt by refresh()
};

struct FieldDef {
    std::string name;
    int type = 0;  // DAO type code
    int size = 0;  // as Field::size()
};

class TableDef {
public:
    TableDef(std::shared_ptr<DatabaseCore> core, std::string name);

    const std::string& name() const { return m_name; }
    std::vector<FieldDef> fields() const;
    Indexes indexes() const;
    // A new, empty index for this table; append it with indexes().append(...).
    Index createIndex(std::string name) const { return Index(std::move(name)); }

private:
    std::shared_ptr<DatabaseCore> m_core;
    std::string m_name;
};

// Every table of the database, in catalog order (new tables last).
class TableDefs {
public:
    explicit TableDefs(std::shared_ptr<DatabaseCore> core) : m_core(std::move(core)) {}

    int count() const;
    TableDef item(int position) const;           // 3265 when out of range
    TableDef item(std::string_view name) const;  // 3265 when absent
    // DAO's TableDefs.Delete: drops the table (3265 when absent, 3027 when read-only).
    void deleteTable(std::string_view name);
    void refresh();

    std::vector<TableDef> all() const;

private:
    std::shared_ptr<DatabaseCore> m_core;
};

}  // namespace velmora::engine::dao
