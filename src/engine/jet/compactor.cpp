// The compacted copy of a database; see compactor.h.
#include "engine/jet/compactor.h"

#include <algorithm>
#include <map>

#include "engine/base/error_codes.h"
#include "engine/jet/database_image.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/new_database.h"
#include "engine/jet/stored_keys.h"

namespace velmora::engine::jet {
namespace {

// Replaces a LONG value by its new Id when it names a renumbered table.
void remapId(store::Value& v, const std::map<int64_t, int64_t>& ids) {
    if (auto* id = std::get_if<int64_t>(&v)) {
        auto it = ids.find(*id);
        if (it != ids.end())
            *id = it->second;
    }
}

}  // namespace

Result<CompactReport> compactDatabase(io::Env& env, const std::string& source,
                                      const std::string& destination) {
    if (env.exists(destination))
        return Status::error(err::kDatabaseExists, "database '" + destination + "' already exists");
    VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<JetStorage> db, openDatabase(source, env));
    VELMORA_ASSIGN_OR_RETURN(io::PageRef page0, db->pager().read(0));

    // Every table with a definition, in the order of their definition pages (MSysObjects,
    // on page 2, first).
    std::vector<const CatalogEntry*> tables;
    for (const auto& e : db->catalog()) {
        if (e.isTable())
            tables.push_back(&e);
    }
    std::stable_sort(tables.begin(), tables.end(),
                     [](const CatalogEntry* a, const CatalogEntry* b) {
                         return uint32_t(a->id) < uint32_t(b->id);
                     });
    if (tables.empty() || tables.front()->id != int32_t(kCatalogPage))
        return Status::error(err::kNotADatabase, "'" + source + "' has no catalog table");

    DatabaseImageBuilder builder(db->format(), std::vector<uint8_t>(page0->begin(), page0->end()));
    CompactReport report;
    report.sourcePages = db->pager().pageCount();
    std::map<int64_t, int64_t> ids;
    std::vector<std::string> names;
    for (const CatalogEntry* e : tables) {
        VELMORA_RETURN_IF_ERROR(checkStoredKeys(*db, e->name));
        VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<store::Table> table, db->loadTable(e->name));
        store::TableSchema schema = table->schema();
        schema.name = e->name;
        VELMORA_ASSIGN_OR_RETURN(size_t t, builder.addTable(std::move(schema)));
        table->forEachLive(
            [&](store::RowId, const store::Row& row) { builder.rows(t).push_back(row); });
        report.rows += builder.rows(t).size();
        ids[e->id] = int64_t(builder.tdefPage(t));
        names.push_back(e->name);
    }
    report.tables = tables.size();

    // Ids follow the tables to their new definition pages.
    for (size_t t = 0; t < names.size(); ++t) {
        store::TableSchema& s = builder.schema(t);
        for (auto& li : s.logicalIndexes) {
            auto it = ids.find(int64_t(li.relatedTablePage));
            if (li.relatedTablePage != 0 && it != ids.end())
                li.relatedTablePage = uint32_t(it->second);
        }
        if (store::sameName(names[t], "MSysObjects")) {
            auto idColumn = s.findColumn("Id");
            auto typeColumn = s.findColumn("Type");
            if (!idColumn || !typeColumn)
                return Status::error(err::kNotADatabase, "MSysObjects lacks its Id or Type column");
            for (auto& row : builder.rows(t)) {
                const auto* type = std::get_if<int64_t>(&row[*typeColumn]);
                if (type && *type == object_type::kTable)
                    remapId(row[*idColumn], ids);
            }
        } else if (store::sameName(names[t], "MSysACEs")) {
            auto objectColumn = s.findColumn("ObjectId");
            if (!objectColumn)
                return Status::error(err::kNotADatabase, "MSysACEs lacks its ObjectId column");
            for (auto& row : builder.rows(t))
                remapId(row[*objectColumn], ids);
        }
    }

    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes, builder.finish());
    report.destinationPages = uint32_t(bytes.size() / db->format().pageSize);
    db.reset();  // the source is closed before the copy appears
    VELMORA_RETURN_IF_ERROR(writeNewFile(env, destination, bytes));
    return report;
}

}  // namespace velmora::engine::jet
