// Created, deleted and redesigned tables in a commit; see schema_change.h.
#include "engine/jet/schema_change.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/jet/database_image.h"
#include "engine/jet/index_key.h"
#include "engine/jet/new_database.h"
#include "engine/jet/stored_keys.h"
#include "engine/jet/table_definition_writer.h"
#include "engine/store/constraints.h"

namespace velmora::engine::jet {
namespace {

using store::Table;
using store::TableSchema;

bool sameColumns(const std::vector<store::IndexColumn>& a,
                 const std::vector<store::IndexColumn>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].columnNumber != b[i].columnNumber || a[i].ascending != b[i].ascending)
            return false;
    }
    return true;
}

// The pages that hold the usage-map rows a definition points at.
std::set<uint32_t> mapHostPages(const TableSchema& s) {
    std::set<uint32_t> out;
    out.insert(RowPointer::fromU32(s.usedPagesRow).page);
    out.insert(RowPointer::fromU32(s.freePagesRow).page);
    for (const auto& m : s.longValueMaps) {
        out.insert(RowPointer::fromU32(m.ownedPagesRow).page);
        out.insert(RowPointer::fromU32(m.freeSpaceRow).page);
    }
    for (const auto& ri : s.realIndexes)
        out.insert(RowPointer::fromU32(ri.usageMapRow).page);
    out.erase(0);
    return out;
}

// Releases every page the stored table `name` holds. `keepFirst` keeps the first page of its
// definition (a table rewritten in place keeps its Id). Host pages of usage maps are released
// only when no table outside `leaving` has a map on them.
Status releaseTablePages(JetStorage& storage, const std::string& name, bool keepFirst,
                         const std::set<std::string>& leaving, PageAllocator& allocator) {
    const JetFormat& fmt = storage.format();
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, storage.tableDefinition(name));
    const TableSchema& s = def.schema;
    auto releaseMap = [&](uint32_t row, bool onlyLongValuePages) -> Status {
        if (row == 0)
            return Status::ok();
        VELMORA_ASSIGN_OR_RETURN(UsageMap map, storage.usageMap(RowPointer::fromU32(row)));
        for (uint32_t p : map.mapPages) {
            if (p != 0)
                allocator.release(p);
        }
        for (uint32_t p : map.pages) {
            if (onlyLongValuePages) {
                VELMORA_ASSIGN_OR_RETURN(io::PageRef page, storage.pager().read(p));
                if ((*page)[0] != page_type::kData ||
                    getU32(*page, fmt.dataOwner) != kLongValueOwner)
                    continue;
            }
            allocator.release(p);
        }
        return Status::ok();
    };
    VELMORA_ASSIGN_OR_RETURN(std::vector<DataPage> data, storage.tableDataPages(name));
    for (const DataPage& dp : data)
        allocator.release(dp.number);
    VELMORA_RETURN_IF_ERROR(releaseUnmappedLongValuePages(storage, s, data, allocator));
    VELMORA_RETURN_IF_ERROR(releaseMap(s.usedPagesRow, false));
    for (const auto& m : s.longValueMaps)
        VELMORA_RETURN_IF_ERROR(releaseMap(m.ownedPagesRow, true));
    for (const auto& ri : s.realIndexes) {
        VELMORA_ASSIGN_OR_RETURN(std::vector<IndexPage> tree, storage.indexPages(ri));
        for (const IndexPage& p : tree)
            allocator.release(p.number);
    }
    for (size_t i = keepFirst ? 1 : 0; i < def.pages.size(); ++i)
        allocator.release(def.pages[i]);

    std::set<uint32_t> hosts = mapHostPages(s);
    for (const auto& info : storage.listTables()) {
        if (store::sameName(info.name, name) || leaving.count(info.name))
            continue;
        VELMORA_ASSIGN_OR_RETURN(TableDefinition other, storage.tableDefinition(info.name));
        for (uint32_t p : mapHostPages(other.schema))
            hosts.erase(p);
    }
    hosts.erase(1);
    for (uint32_t p : hosts)
        allocator.release(p);
    return Status::ok();
}

}  // namespace

namespace {

// Access 2000 and later set 0x80 on every index; Jet 3 never does.
void setVersionIndexFlag(store::RealIndex& ri, const JetFormat& fmt) {
    if (fmt.isJet4())
        ri.flags |= store::index_flag::kAccess2000;
    else
        ri.flags &= uint8_t(~store::index_flag::kAccess2000);
}

}  // namespace

Status prepareNewTableSchema(TableSchema& s, const JetFormat& fmt) {
    std::map<uint16_t, uint16_t> renumber;
    std::set<uint16_t> oldNumbers;
    for (const auto& c : s.columns)
        oldNumbers.insert(c.number);
    const bool distinct = oldNumbers.size() == s.columns.size();
    std::vector<uint16_t> before;
    for (const auto& c : s.columns)
        before.push_back(c.number);
    VELMORA_RETURN_IF_ERROR(layoutNewColumns(s));
    if (distinct) {
        for (size_t i = 0; i < s.columns.size(); ++i)
            renumber[before[i]] = s.columns[i].number;
        for (auto& ri : s.realIndexes) {
            for (auto& ic : ri.columns) {
                auto it = renumber.find(ic.columnNumber);
                if (it == renumber.end())
                    return Status::error(err::kInvalidArgument,
                                         "table '" + s.name + "': an index names a missing column");
                ic.columnNumber = it->second;
            }
        }
    }
    s.tableType = 0x4E;
    for (auto& ri : s.realIndexes)
        setVersionIndexFlag(ri, fmt);
    sortLogicalIndexes(s);
    s.longValueMaps.clear();
    for (const auto& c : s.columns) {
        if (c.isLongValue())
            s.longValueMaps.push_back({c.number, 0, 0});
    }
    return Status::ok();
}

namespace {

// Lays out `table` whole. `firstPage` is its definition page when it keeps one, else 0.
Result<uint32_t> writeWhole(JetStorage& storage, Table& table, uint32_t firstPage,
                            PageAllocator& allocator, CommitPages& out) {
    const JetFormat& fmt = storage.format();
    const KeyFormat keyFormat = fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
    const uint16_t codePage = storage.header().codePage;
    TableSchema s = table.schema();
    for (const auto& ri : s.realIndexes)
        VELMORA_RETURN_IF_ERROR(
            checkIndexEncodable(s, ri, keyFormat).withContext("table '" + s.name + "': "));
    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> probe,
                             encodeTableDefinition(fmt, s, 0, codePage));
    std::vector<uint32_t> tdefPages;
    tdefPages.push_back(firstPage != 0 ? firstPage : allocator.allocate());
    for (size_t i = 1; i < tableDefinitionPageCount(fmt, probe.size()); ++i)
        tdefPages.push_back(allocator.allocate());
    s.tdefPage = tdefPages.front();
    RowSource rows = [&table](const RowVisitor& visit) {
        table.forEachLive([&](store::RowId, const store::Row& r) { visit(r); });
    };
    std::vector<TableToWrite> one{{&s, rows, tdefPages}};
    std::vector<PageImage> images;
    VELMORA_RETURN_IF_ERROR(encodeWholeTables(fmt, one, allocator, images, codePage));
    for (auto& img : images)
        VELMORA_RETURN_IF_ERROR(out.put(img.number, std::move(img.bytes)));
    table.mutableSchema() = std::move(s);
    return tdefPages.front();
}

Status needColumn(const TableSchema& s, const char* name, size_t& at) {
    auto c = s.findColumn(name);
    if (!c)
        return Status::error(err::kNotADatabase, s.name + " lacks its column " + name);
    at = *c;
    return Status::ok();
}

}  // namespace

Result<bool> designDiffers(JetStorage& storage, const Table& table) {
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, storage.tableDefinition(table.schema().name));
    const TableSchema& a = def.schema;
    const TableSchema& b = table.schema();
    if (a.columns.size() != b.columns.size() || a.realIndexes.size() != b.realIndexes.size() ||
        a.logicalIndexes.size() != b.logicalIndexes.size())
        return true;
    for (size_t i = 0; i < a.columns.size(); ++i) {
        const auto &x = a.columns[i], &y = b.columns[i];
        if (x.name != y.name || x.type != y.type || x.number != y.number || x.length != y.length ||
            x.flags != y.flags)
            return true;
    }
    for (size_t i = 0; i < a.realIndexes.size(); ++i) {
        if (!sameColumns(a.realIndexes[i].columns, b.realIndexes[i].columns) ||
            a.realIndexes[i].flags != b.realIndexes[i].flags)
            return true;
    }
    for (size_t i = 0; i < a.logicalIndexes.size(); ++i) {
        const auto &x = a.logicalIndexes[i], &y = b.logicalIndexes[i];
        if (x.name != y.name || x.type != y.type || x.realIndex != y.realIndex)
            return true;
    }
    return false;
}

Status writeSchemaChanges(JetStorage& storage, const store::TableStorage::Changes& changes,
                          double now, PageAllocator& allocator, CommitPages& out,
                          std::vector<Table*>& unchanged) {
    const JetFormat& fmt = storage.format();
    unchanged.clear();
    std::vector<Table*> created, redesigned;
    for (Table* t : changes.changed) {
        bool isNew =
            std::any_of(changes.created.begin(), changes.created.end(),
                        [&](const std::string& n) { return store::sameName(n, t->schema().name); });
        if (isNew) {
            created.push_back(t);
            continue;
        }
        VELMORA_ASSIGN_OR_RETURN(bool differs, designDiffers(storage, *t));
        (differs ? redesigned : unchanged).push_back(t);
    }
    if (created.empty() && redesigned.empty() && changes.dropped.empty())
        return Status::ok();

    // Jet refuses to delete a table that a relationship names.
    if (!changes.dropped.empty() && storage.findTable("MSysRelationships")) {
        VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<Table> rel,
                                 storage.loadTable("MSysRelationships"));
        auto a = rel->schema().findColumn("szObject");
        auto b = rel->schema().findColumn("szReferencedObject");
        for (const std::string& name : changes.dropped) {
            bool related = false;
            rel->forEachLive([&](store::RowId, const store::Row& r) {
                for (auto c : {a, b}) {
                    const auto* s = c ? std::get_if<std::string>(&r[*c]) : nullptr;
                    related = related || (s && store::sameName(*s, name));
                }
            });
            if (related)
                return Status::error(err::kInRelationship,
                                     "Cannot delete the table '" + name +
                                         "'; it is participating in one or more relationships.");
        }
    }
    std::set<std::string> leaving(changes.dropped.begin(), changes.dropped.end());
    std::vector<int64_t> droppedIds;
    for (const std::string& name : changes.dropped) {
        const CatalogEntry* e = storage.findTable(name);
        if (!e)
            return Status::error(err::kTableNotFound, "Could not find the object '" + name + "'.");
        if (e->isSystem())
            return Status::error(err::kNotPermitted, "'" + name + "' is a system table");
        droppedIds.push_back(e->id);
        VELMORA_RETURN_IF_ERROR(releaseTablePages(storage, name, false, leaving, allocator));
    }
    for (Table* t : redesigned) {
        const CatalogEntry* e = storage.findTable(t->schema().name);
        if (!e)
            return Status::error(err::kTableNotFound,
                                 "table '" + t->schema().name + "' is not in the file");
        VELMORA_RETURN_IF_ERROR(checkStoredKeys(storage, t->schema().name));
        TableSchema prepared = t->schema();
        prepared.longValueMaps.clear();
        for (const auto& c : prepared.columns) {
            if (c.isLongValue())
                prepared.longValueMaps.push_back({c.number, 0, 0});
        }
        for (auto& ri : prepared.realIndexes)
            setVersionIndexFlag(ri, fmt);
        sortLogicalIndexes(prepared);
        t->mutableSchema() = std::move(prepared);
        VELMORA_RETURN_IF_ERROR(
            releaseTablePages(storage, t->schema().name, true, leaving, allocator));
        VELMORA_RETURN_IF_ERROR(writeWhole(storage, *t, uint32_t(e->id), allocator, out).status());
    }
    std::vector<std::pair<std::string, uint32_t>> newIds;
    for (Table* t : created) {
        TableSchema prepared = t->schema();
        VELMORA_RETURN_IF_ERROR(prepareNewTableSchema(prepared, fmt));
        t->mutableSchema() = std::move(prepared);
        VELMORA_ASSIGN_OR_RETURN(uint32_t id, writeWhole(storage, *t, 0, allocator, out));
        newIds.emplace_back(t->schema().name, id);
    }
    if (newIds.empty() && droppedIds.empty())
        return Status::ok();

    // The catalog and the access entries.
    VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<Table> objects, storage.loadTable("MSysObjects"));
    VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<Table> aces, storage.loadTable("MSysACEs"));
    const TableSchema& os = objects->schema();
    const TableSchema& as = aces->schema();
    size_t oId, oParent, oName, oType, oCreate, oUpdate, oOwner, oFlags;
    size_t aObject, aSid, aAcm, aInherit;
    VELMORA_RETURN_IF_ERROR(needColumn(os, "Id", oId));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "ParentId", oParent));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "Name", oName));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "Type", oType));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "DateCreate", oCreate));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "DateUpdate", oUpdate));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "Owner", oOwner));
    VELMORA_RETURN_IF_ERROR(needColumn(os, "Flags", oFlags));
    VELMORA_RETURN_IF_ERROR(needColumn(as, "ObjectId", aObject));
    VELMORA_RETURN_IF_ERROR(needColumn(as, "SID", aSid));
    VELMORA_RETURN_IF_ERROR(needColumn(as, "ACM", aAcm));
    VELMORA_RETURN_IF_ERROR(needColumn(as, "FInheritable", aInherit));

    auto idOf = [](const store::Value& v) -> int64_t {
        const auto* i = std::get_if<int64_t>(&v);
        return i ? *i : INT64_MIN;
    };
    std::set<int64_t> gone(droppedIds.begin(), droppedIds.end());
    store::Value owner = store::Blob{0x65, 0x89};
    std::vector<store::RowId> objectsToErase, acesToErase;
    objects->forEachLive([&](store::RowId id, const store::Row& r) {
        if (idOf(r[oId]) == catalog_id::kDatabaseObject && !store::isNull(r[oOwner]))
            owner = r[oOwner];
        const auto* type = std::get_if<int64_t>(&r[oType]);
        if (type && *type == object_type::kTable && gone.count(idOf(r[oId])))
            objectsToErase.push_back(id);
    });
    // The new tables inherit the entries the Tables container passes on.
    std::vector<std::pair<store::Value, store::Value>> inherited;
    aces->forEachLive([&](store::RowId id, const store::Row& r) {
        if (gone.count(idOf(r[aObject])))
            acesToErase.push_back(id);
        const bool* inherit = std::get_if<bool>(&r[aInherit]);
        if (idOf(r[aObject]) == catalog_id::kTables && inherit && *inherit)
            inherited.emplace_back(r[aSid], r[aAcm]);
    });
    for (store::RowId id : objectsToErase)
        objects->erase(id);
    for (store::RowId id : acesToErase)
        aces->erase(id);
    const store::Value stamp = store::DateTime{now};
    for (const auto& [name, id] : newIds) {
        store::Row r(os.columns.size(), store::Value(store::Null{}));
        r[oId] = int64_t(id);
        r[oParent] = int64_t(catalog_id::kTables);
        r[oName] = name;
        r[oType] = int64_t(object_type::kTable);
        r[oCreate] = stamp;
        r[oUpdate] = stamp;
        r[oOwner] = owner;
        r[oFlags] = int64_t(0);
        objects->append(r);
        for (const auto& [sid, acm] : inherited) {
            store::Row a(as.columns.size(), store::Value(store::Null{}));
            a[aObject] = int64_t(id);
            a[aSid] = sid;
            a[aAcm] = acm;
            a[aInherit] = false;
            aces->append(a);
        }
    }
    // The catalog tables are read again after the commit: where their rows went is not kept.
    RowPlaces objectPlaces, acePlaces;
    VELMORA_RETURN_IF_ERROR(writeTable(storage, *objects, allocator, out, objectPlaces));
    VELMORA_RETURN_IF_ERROR(writeTable(storage, *aces, allocator, out, acePlaces));
    return Status::ok();
}

Status addIndexToTable(Table& table, const NewIndex& wanted, const store::RowRules& rules) {
    const TableSchema& s = table.schema();
    for (const auto& li : s.logicalIndexes) {
        if (store::sameName(li.name, wanted.name))
            return namedJetError(err::kIndexExists, wanted.name);
        if (wanted.primary && li.isPrimary())
            return jetError(err::kPrimaryKeyExists);
    }
    if (wanted.columns.empty() || wanted.columns.size() > kMaxIndexColumns)
        return Status::error(err::kInvalidArgument, "an index has 1 to 10 columns");
    store::RealIndex ri;
    ri.columns = wanted.columns;
    for (const auto& ic : ri.columns) {
        bool found =
            std::any_of(s.columns.begin(), s.columns.end(),
                        [&](const store::ColumnDef& c) { return c.number == ic.columnNumber; });
        if (!found)
            return Status::error(err::kItemNotFound, "the index names a column the table lacks");
    }
    ri.flags = store::index_flag::kAccess2000;
    if (wanted.primary || wanted.unique)
        ri.flags |= store::index_flag::kUnique;
    if (wanted.primary || wanted.required)
        ri.flags |= store::index_flag::kRequired;
    if (wanted.ignoreNulls && !wanted.primary)
        ri.flags |= store::index_flag::kIgnoreNulls;

    // Every row against the new index, with the keys the file will hold.
    VELMORA_RETURN_IF_ERROR(store::checkNewIndex(table, ri, wanted.primary, rules));

    TableSchema& m = table.mutableSchema();
    store::LogicalIndex li;
    li.name = wanted.name;
    uint32_t number = 0;
    for (const auto& other : m.logicalIndexes)
        number = std::max(number, other.number + 1);
    li.number = number;
    li.realIndex = uint32_t(m.realIndexes.size());
    li.type = wanted.primary ? store::LogicalIndexType::PrimaryKey : store::LogicalIndexType::Plain;
    m.realIndexes.push_back(ri);
    m.logicalIndexes.push_back(li);
    return Status::ok();
}

}  // namespace velmora::engine::jet
