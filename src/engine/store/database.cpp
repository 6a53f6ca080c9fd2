#include "engine/store/database.h"

#include <algorithm>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"

namespace velmora::engine::store {

Database::Database(std::unique_ptr<TableStorage> storage) : m_storage(std::move(storage)) {
    for (auto& info : m_storage->listTables())
        m_entries.push_back(Entry{info, nullptr, false});
}

Database::Entry* Database::find(const std::string& name) {
    for (auto& e : m_entries) {
        if (sameName(e.info.name, name))
            return &e;
    }
    return nullptr;
}

const Database::Entry* Database::find(const std::string& name) const {
    return const_cast<Database*>(this)->find(name);
}

std::vector<std::string> Database::tableNames(bool includeSystem) const {
    std::vector<std::string> names;
    for (const auto& e : m_entries) {
        if (includeSystem || !e.info.system)
            names.push_back(e.info.name);
    }
    return names;
}

bool Database::hasTable(const std::string& name) const {
    return find(name) != nullptr;
}

Status TableStorage::readUnreadColumns(Table& table) {
    // Only a storage that leaves columns unread overrides this, so a table of any other has
    // none left to read.
    return table.hasUnreadColumns()
               ? Status::error(err::kInvalidOperation,
                               "table " + table.schema().name + ": its unread columns were lost")
               : Status::ok();
}

Result<Table*> Database::table(const std::string& name) {
    Entry* e = find(name);
    if (!e) {
        return namedJetError(err::kTableNotFound, name);
    }
    if (!e->table) {
        VELMORA_ASSIGN_OR_RETURN(e->table, m_storage->loadTable(e->info.name));
    } else if (e->table->hasUnreadColumns()) {
        VELMORA_RETURN_IF_ERROR(m_storage->readUnreadColumns(*e->table));
    }
    return e->table.get();
}

Result<Table*> Database::tableReading(const std::string& name,
                                      const TableStorage::ColumnChoice& choose) {
    Entry* e = find(name);
    if (!e) {
        return namedJetError(err::kTableNotFound, name);
    }
    if (!e->table) {
        VELMORA_ASSIGN_OR_RETURN(e->table, m_storage->loadColumns(e->info.name, choose));
        return e->table.get();
    }
    if (e->table->hasUnreadColumns()) {
        const std::vector<uint8_t> wanted = choose(e->table->schema());
        const std::span<const int> unread = e->table->unreadColumns();
        if (wanted.empty() || std::any_of(unread.begin(), unread.end(), [&](int c) {
                return size_t(c) >= wanted.size() || wanted[size_t(c)] != 0;
            }))
            VELMORA_RETURN_IF_ERROR(m_storage->readUnreadColumns(*e->table));
    }
    return e->table.get();
}

Result<Table*> Database::createTable(TableSchema schema) {
    if (find(schema.name)) {
        return namedJetError(err::kTableExists, schema.name);
    }
    VELMORA_RETURN_IF_ERROR(m_storage->prepareNewTable(schema));
    Entry e{TableInfo{schema.name, false}, std::make_unique<Table>(std::move(schema)), true};
    e.table->mutableSchema();  // a new table is a change even while it has no rows
    m_entries.push_back(std::move(e));
    return m_entries.back().table.get();
}

Status Database::dropTable(const std::string& name) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& e) { return sameName(e.info.name, name); });
    if (it == m_entries.end()) {
        return Status::error(err::kTableNotFound, "Could not find the object '" + name + "'.");
    }
    if (!it->created)
        m_dropped.push_back(it->info.name);
    m_entries.erase(it);
    ++m_generation;
    return Status::ok();
}

bool Database::hasPendingChanges() const {
    if (!m_dropped.empty())
        return true;
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const Entry& e) { return e.table && e.table->isDirty(); });
}

Status Database::commit() {
    if (!hasPendingChanges())
        return Status::ok();
    if (isReadOnly()) {
        return jetError(err::kReadOnlyDatabase, readOnlyReason());
    }
    TableStorage::Changes changes;
    for (auto& e : m_entries) {
        // A storage writes fixed values over the stored rows without their other values;
        // for anything else it reads them whole.
        if (e.table && e.table->isDirty() && e.table->hasUnreadColumns() &&
            !e.table->changedInPlaceOnly())
            VELMORA_RETURN_IF_ERROR(m_storage->readUnreadColumns(*e.table));
        if (e.table && e.table->isDirty()) {
            changes.changed.push_back(e.table.get());
            if (e.created)
                changes.created.push_back(e.info.name);
        }
    }
    changes.dropped = m_dropped;
    VELMORA_RETURN_IF_ERROR(m_storage->commit(changes));
    // A table written anew has its rows in other places now.
    for (Table* t : changes.changed)
        t->forgetStoredPlaces();
    for (auto& e : m_entries) {
        if (e.table)
            e.table->markClean();
        e.created = false;
    }
    m_dropped.clear();
    return Status::ok();
}

void Database::rollback() {
    m_dropped.clear();
    m_entries.clear();
    ++m_generation;
    for (auto& info : m_storage->listTables())
        m_entries.push_back(Entry{info, nullptr, false});
}

std::vector<TableInfo> MemoryStorage::listTables() {
    std::vector<TableInfo> out;
    for (auto& [info, table] : m_tables)
        out.push_back(info);
    return out;
}

Result<std::unique_ptr<Table>> MemoryStorage::loadTable(const std::string& name) {
    for (auto& [info, table] : m_tables) {
        if (sameName(info.name, name)) {
            auto copy = std::make_unique<Table>(table);
            copy->markClean();
            return copy;
        }
    }
    return Status::error(err::kTableNotFound, "Could not find the object '" + name + "'.");
}

Status MemoryStorage::commit(const Changes& changes) {
    for (const auto& name : changes.dropped) {
        std::erase_if(m_tables, [&](const auto& p) { return sameName(p.first.name, name); });
    }
    for (Table* t : changes.changed) {
        auto it = std::find_if(m_tables.begin(), m_tables.end(), [&](const auto& p) {
            return sameName(p.first.name, t->schema().name);
        });
        if (it == m_tables.end()) {
            m_tables.emplace_back(TableInfo{t->schema().name, false}, *t);
        } else {
            it->second = *t;
        }
    }
    ++m_commits;
    return Status::ok();
}

}  // namespace velmora::engine::store
