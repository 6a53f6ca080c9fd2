#include "engine/dao/table_defs.h"

#include <algorithm>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/dao/database_core.h"
#include "engine/dao/field.h"
#include "engine/store/schema.h"

namespace velmora::engine::dao {

namespace {

[[noreturn]] void itemNotFound() {
    throw DaoError(jetError(err::kItemNotFound));
}

store::Table& tableOf(DatabaseCore& core, const std::string& name) {
    core.checkOpen();
    auto table = core.db->table(name);
    if (!table.isOk()) {
        if (table.status().code() == err::kTableNotFound)
            itemNotFound();
        throw DaoError(table.status());
    }
    return **table;
}

Index indexFrom(const store::TableSchema& schema, const store::LogicalIndex& li) {
    Index index(li.name);
    index.setPrimary(li.isPrimary());
    if (li.realIndex < schema.realIndexes.size()) {
        const store::RealIndex& real = schema.realIndexes[li.realIndex];
        index.setUnique(real.isUnique());
        index.setIgnoreNulls(real.ignoresNulls());
        index.setRequired(real.isRequired());
        for (const auto& ic : real.columns) {
            for (const auto& col : schema.columns) {
                if (col.number == ic.columnNumber)
                    index.appendField(IndexField(col.name));
            }
        }
    }
    return index;
}

}  // namespace

Indexes::Indexes(std::shared_ptr<DatabaseCore> core, std::string table)
    : m_core(std::move(core)), m_table(std::move(table)) {
    refresh();
}

void Indexes::refresh() {
    const store::TableSchema& schema = tableOf(*m_core, m_table).schema();
    m_cache.clear();
    for (const auto& li : schema.logicalIndexes)
        m_cache.push_back(indexFrom(schema, li));
}

int Indexes::count() const {
    return static_cast<int>(all().size());
}

std::vector<Index> Indexes::all() const {
    const store::TableSchema& schema = tableOf(*m_core, m_table).schema();
    std::vector<Index> out;
    for (const auto& li : schema.logicalIndexes)
        out.push_back(indexFrom(schema, li));
    return out;
}

Index Indexes::item(int position) const {
    auto list = all();
    if (position < 0 || position >= static_cast<int>(list.size()))
        itemNotFound();
    return list[position];
}

Index Indexes::item(std::string_view name) const {
    for (auto& index : all()) {
        if (store::sameName(index.name(), std::string(name)))
            return index;
    }
    itemNotFound();
}

void Indexes::append(const Index& index) {
    m_core->checkWritable();
    store::Table& table = tableOf(*m_core, m_table);
    const store::TableSchema& schema = table.schema();
    for (const auto& li : schema.logicalIndexes) {
        if (store::sameName(li.name, index.name()))
            throw DaoError(jetError(err::kIndexExists));
        if (index.primary() && li.isPrimary())
            throw DaoError(jetError(err::kPrimaryKeyExists));
    }
    if (index.fields().empty())
        throw DaoError(jetError(err::kIndexWithoutFields));

    store::RealIndex real;
    for (const auto& f : index.fields()) {
        auto col = schema.findColumn(f.name());
        if (!col)
            itemNotFound();
        real.columns.push_back(store::IndexColumn{schema.columns[*col].number, true});
    }
    if (index.unique())
        real.flags |= store::index_flag::kUnique;
    if (index.ignoreNulls())
        real.flags |= store::index_flag::kIgnoreNulls;
    if (index.required())
        real.flags |= store::index_flag::kRequired;
    real.flags |= store::index_flag::kAccess2000;
    throwIfError(m_core->session->checkNewIndex(table, real, index.primary()));

    store::LogicalIndex li;
    li.name = index.name();
    li.type =
        index.primary() ? store::LogicalIndexType::PrimaryKey : store::LogicalIndexType::Plain;
    store::TableSchema& changed = table.mutableSchema();
    uint32_t number = 0;
    for (const auto& other : changed.logicalIndexes)
        number = std::max(number, other.number + 1);
    li.number = number;
    li.realIndex = static_cast<uint32_t>(changed.realIndexes.size());
    changed.realIndexes.push_back(real);
    changed.logicalIndexes.push_back(li);
    refresh();
}

TableDef::TableDef(std::shared_ptr<DatabaseCore> core, std::string name)
    : m_core(std::move(core)), m_name(std::move(name)) {}

std::vector<FieldDef> TableDef::fields() const {
    const store::TableSchema& schema = tableOf(*m_core, m_name).schema();
    std::vector<FieldDef> out;
    for (const auto& c : schema.columns) {
        int size = c.length;
        if (c.type == store::ColumnType::Text)
            size = m_core->session->textCapacity(c);
        else if (c.isLongValue())
            size = 0;
        out.push_back(FieldDef{c.name, daoTypeCode(c.type), size});
    }
    return out;
}

Indexes TableDef::indexes() const {
    return Indexes(m_core, m_name);
}

int TableDefs::count() const {
    m_core->checkOpen();
    return static_cast<int>(m_core->db->tableNames(true).size());
}

TableDef TableDefs::item(int position) const {
    m_core->checkOpen();
    auto names = m_core->db->tableNames(true);
    if (position < 0 || position >= static_cast<int>(names.size()))
        itemNotFound();
    return TableDef(m_core, names[position]);
}

TableDef TableDefs::item(std::string_view name) const {
    m_core->checkOpen();
    for (auto& n : m_core->db->tableNames(true)) {
        if (store::sameName(n, std::string(name)))
            return TableDef(m_core, n);
    }
    itemNotFound();
}

void TableDefs::deleteTable(std::string_view name) {
    m_core->checkWritable();
    if (!m_core->db->hasTable(std::string(name)))
        itemNotFound();
    throwIfError(m_core->session->dropTable(std::string(name)));
}

void TableDefs::refresh() {
    // Table definitions are read from the database on every call; there is nothing to
    // reload, only the database to check.
    m_core->checkOpen();
}

std::vector<TableDef> TableDefs::all() const {
    m_core->checkOpen();
    std::vector<TableDef> out;
    for (auto& n : m_core->db->tableNames(true))
        out.emplace_back(m_core, n);
    return out;
}

}  // namespace velmora::engine::dao
