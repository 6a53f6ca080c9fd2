// A new Jet 4 database built from nothing; see new_database.h.
#include "engine/jet/new_database.h"

#include <algorithm>
#include <cmath>

#include "engine/base/access_date.h"
#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/jet/database_image.h"
#include "engine/jet/format.h"
#include "engine/jet/header.h"
#include "engine/jet/table_definition_writer.h"

namespace velmora::engine::jet {
namespace {

using store::Blob;
using store::ColumnDef;
using store::ColumnType;
using store::IndexColumn;
using store::LogicalIndex;
using store::LogicalIndexType;
using store::Null;
using store::RealIndex;
using store::Row;
using store::TableSchema;
using store::Value;

// Column flags of Jet's system tables: 0x10 on every column, 0x20 on the security ids.
constexpr uint8_t kSystemColumn = 0x10;
constexpr uint8_t kSecurityColumn = 0x20;
// Indexes of the system tables carry 0x04 in both cascade bytes.
constexpr uint8_t kSystemCascade = 0x04;

// The security ids a fresh file's objects and access entries name. The Jet engine derives
// them from the workgroup's accounts; these are the ones it wrote into a database created
// with the default workgroup.
const Blob kObjectOwner = {0x65, 0x89};
const Blob kAdminsSid = {0x64, 0x8B};
const Blob kUsersSid = {0x65, 0x8B};
const Blob kCreatorSid = {0x65, 0x8E};

struct SystemColumn {
    const char* name;
    ColumnType type;
    uint16_t length;  // Text and Binary, in bytes
    bool securityId;
};

Result<TableSchema> systemTable(const char* name, std::initializer_list<SystemColumn> columns) {
    TableSchema s;
    s.name = name;
    s.tableType = 0x53;
    for (const auto& column : columns) {
        ColumnDef c;
        c.name = column.name;
        c.type = column.type;
        c.length = column.length;
        s.columns.push_back(c);
    }
    VELMORA_RETURN_IF_ERROR(layoutNewColumns(s));
    for (size_t i = 0; i < s.columns.size(); ++i) {
        ColumnDef& c = s.columns[i];
        c.flags = uint8_t(c.flags | kSystemColumn);
        c.secondNumber = 0;  // Jet leaves it 0 in its own tables
        if (columns.begin()[i].securityId)
            c.flags = uint8_t(c.flags | kSecurityColumn);
    }
    // Jet stores the column blocks of its own tables in name order.
    std::stable_sort(s.columns.begin(), s.columns.end(),
                     [](const ColumnDef& a, const ColumnDef& b) {
                         std::string x = a.name, y = b.name;
                         std::transform(x.begin(), x.end(), x.begin(),
                                        [](unsigned char ch) { return char(std::tolower(ch)); });
                         std::transform(y.begin(), y.end(), y.begin(),
                                        [](unsigned char ch) { return char(std::tolower(ch)); });
                         return x < y;
                     });
    return s;
}

uint16_t numberOf(const TableSchema& s, const char* column) {
    return s.columns[*s.findColumn(column)].number;
}

void addIndex(TableSchema& s, const char* name, uint32_t number, LogicalIndexType type,
              uint8_t flags, std::initializer_list<const char*> columns) {
    RealIndex ri;
    for (const char* c : columns)
        ri.columns.push_back(IndexColumn{numberOf(s, c), true});
    ri.flags = flags;
    LogicalIndex li;
    li.name = name;
    li.number = number;
    li.realIndex = uint32_t(s.realIndexes.size());
    li.type = type;
    li.cascadeUpdates = kSystemCascade;
    li.cascadeDeletes = kSystemCascade;
    s.realIndexes.push_back(ri);
    s.logicalIndexes.push_back(li);
}

// A row of `s` from values given by column name; unnamed columns are Null.
Row rowOf(const TableSchema& s, std::initializer_list<std::pair<const char*, Value>> values) {
    Row row(s.columns.size(), Value(Null{}));
    for (const auto& [name, v] : values)
        row[*s.findColumn(name)] = v;
    return row;
}

}  // namespace

Result<std::vector<TableSchema>> jet4SystemTableSchemas() {
    using T = ColumnType;
    std::vector<TableSchema> out;

    VELMORA_ASSIGN_OR_RETURN(TableSchema objects,
                             systemTable("MSysObjects", {{"Id", T::Long, 0, false},
                                                         {"ParentId", T::Long, 0, false},
                                                         {"Name", T::Text, 510, false},
                                                         {"Type", T::Integer, 0, false},
                                                         {"DateCreate", T::DateTime, 0, false},
                                                         {"DateUpdate", T::DateTime, 0, false},
                                                         {"Owner", T::Binary, 510, true},
                                                         {"Flags", T::Long, 0, false},
                                                         {"Database", T::Memo, 0, false},
                                                         {"Connect", T::Memo, 0, false},
                                                         {"ForeignName", T::Text, 510, false},
                                                         {"RmtInfoShort", T::Binary, 510, false},
                                                         {"RmtInfoLong", T::Ole, 0, false},
                                                         {"Lv", T::Ole, 0, false},
                                                         {"LvProp", T::Ole, 0, false},
                                                         {"LvModule", T::Ole, 0, false},
                                                         {"LvExtra", T::Ole, 0, false}}));
    addIndex(objects, "ParentIdName", 0, LogicalIndexType::Plain, 0x81, {"ParentId", "Name"});
    addIndex(objects, "Id", 1, LogicalIndexType::PrimaryKey, 0x81, {"Id"});
    out.push_back(std::move(objects));

    VELMORA_ASSIGN_OR_RETURN(TableSchema aces,
                             systemTable("MSysACEs", {{"ObjectId", T::Long, 0, false},
                                                      {"SID", T::Binary, 510, true},
                                                      {"ACM", T::Long, 0, false},
                                                      {"FInheritable", T::Boolean, 0, false}}));
    addIndex(aces, "ObjectId", 0, LogicalIndexType::Plain, 0x88, {"ObjectId"});
    out.push_back(std::move(aces));

    VELMORA_ASSIGN_OR_RETURN(TableSchema queries,
                             systemTable("MSysQueries", {{"ObjectId", T::Long, 0, false},
                                                         {"Attribute", T::Byte, 0, false},
                                                         {"Order", T::Binary, 510, false},
                                                         {"Name1", T::Text, 510, false},
                                                         {"Name2", T::Text, 510, false},
                                                         {"Expression", T::Memo, 0, false},
                                                         {"Flag", T::Integer, 0, false},
                                                         {"LvExtra", T::Long, 0, false}}));
    addIndex(queries, "ObjectIdAttribute", 0, LogicalIndexType::PrimaryKey, 0x81,
             {"ObjectId", "Attribute", "Order"});
    out.push_back(std::move(queries));

    VELMORA_ASSIGN_OR_RETURN(
        TableSchema relationships,
        systemTable("MSysRelationships", {{"szRelationship", T::Text, 510, false},
                                          {"grbit", T::Long, 0, false},
                                          {"ccolumn", T::Long, 0, false},
                                          {"icolumn", T::Long, 0, false},
                                          {"szObject", T::Text, 510, false},
                                          {"szColumn", T::Text, 510, false},
                                          {"szReferencedObject", T::Text, 510, false},
                                          {"szReferencedColumn", T::Text, 510, false}}));
    addIndex(relationships, "szRelationship", 0, LogicalIndexType::Plain, 0x82, {"szRelationship"});
    addIndex(relationships, "szObject", 1, LogicalIndexType::Plain, 0x82, {"szObject"});
    addIndex(relationships, "szReferencedObject", 2, LogicalIndexType::Plain, 0x82,
             {"szReferencedObject"});
    sortLogicalIndexes(relationships);
    out.push_back(std::move(relationships));

    sortLogicalIndexes(out[0]);
    return out;
}

std::vector<uint8_t> jet4HeaderPage(const NewDatabaseOptions& options) {
    const JetFormat& fmt = jet4Format();
    std::vector<uint8_t> page(fmt.pageSize, 0);
    const uint8_t magic[] = {0x00, 0x01, 0x00, 0x00};
    std::copy(std::begin(magic), std::end(magic), page.begin());
    const char* id = "Standard Jet DB";
    std::copy(id, id + 15, page.begin() + 4);
    putU32(page, 0x14, 1);  // Jet 4
    // The start of the masked region holds the same constants in every Jet file.
    const uint8_t constants[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                 0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::copy(std::begin(constants), std::end(constants), page.begin() + 0x18);
    putU16(page, 0x3C, options.codePage);
    putU32(page, 0x3E, 0);  // pages are not encoded
    const double created = options.creationDate;
    // No password: the 40 password bytes are the date mask alone.
    auto mask = uint32_t(int32_t(created));
    for (size_t i = 0; i < 40; i += 4)
        putU32(page, 0x42 + i, mask);
    // Unexplained field beside the password; this is the value the Jet engine wrote into a
    // database it created.
    putU32(page, 0x6A, 0x261C);
    putU16(page, 0x6E, options.sortOrder);
    page[0x70] = 0x00;
    page[0x71] = 0x00;  // sort order version 0 (General as Access 2000-2007 sort)
    putF64(page, 0x72, created);
    const uint8_t version[] = {0x54, 0x06, 0x00, 0x00, '4', '.', '0', 0x00};
    std::copy(std::begin(version), std::end(version), page.begin() + 0x98);
    // The commit-byte area: 01 01, then 00 01 pairs to the end of the page.
    page[0xE00] = 0x01;
    for (size_t off = 0xE01; off < fmt.pageSize; off += 2)
        page[off] = 0x01;
    const auto& keystream = headerMask();
    for (size_t i = 0; i < fmt.headerMaskLength; ++i)
        page[0x18 + i] ^= keystream[i];
    return page;
}

Result<std::vector<uint8_t>> buildNewJet4Database(const NewDatabaseOptions& options) {
    DatabaseImageBuilder builder(jet4Format(), jet4HeaderPage(options));
    VELMORA_ASSIGN_OR_RETURN(std::vector<TableSchema> schemas, jet4SystemTableSchemas());
    for (auto& s : schemas) {
        for (auto& c : s.columns) {
            if (c.type == ColumnType::Text)
                c.sortOrder = options.sortOrder;
        }
    }
    std::vector<int32_t> ids;
    for (auto& s : schemas) {
        VELMORA_ASSIGN_OR_RETURN(size_t t, builder.addTable(s));
        ids.push_back(int32_t(builder.tdefPage(t)));
    }
    const Value date = store::DateTime{options.creationDate};
    const Value system = int64_t(int32_t(kJetSystemObject));
    auto object = [&](int32_t id, int32_t parent, const char* name, int type, const Blob& owner) {
        return rowOf(builder.schema(0), {{"Id", int64_t(id)},
                                         {"ParentId", int64_t(parent)},
                                         {"Name", std::string(name)},
                                         {"Type", int64_t(type)},
                                         {"DateCreate", date},
                                         {"DateUpdate", date},
                                         {"Owner", owner},
                                         {"Flags", system}});
    };
    auto& objects = builder.rows(0);
    objects.push_back(object(catalog_id::kTables, catalog_id::kRoot, "Tables", 3, kObjectOwner));
    objects.push_back(
        object(catalog_id::kDatabases, catalog_id::kRoot, "Databases", 3, kObjectOwner));
    objects.push_back(
        object(catalog_id::kRelationships, catalog_id::kRoot, "Relationships", 3, kObjectOwner));
    objects.push_back(
        object(catalog_id::kDatabaseObject, catalog_id::kDatabases, "MSysDb", 2, kAdminsSid));
    for (size_t t = 0; t < schemas.size(); ++t)
        objects.push_back(
            object(ids[t], catalog_id::kTables, schemas[t].name.c_str(), 1, kObjectOwner));

    // Access entries, in the order Jet writes them: rights of the administrators on the
    // tables, inheritable rights on the Tables and Relationships containers, the database,
    // then the users' rights.
    struct Ace {
        int32_t object;
        const Blob& sid;
        int64_t acm;
        bool inheritable;
    };
    const Ace aces[] = {
        {ids[0], kAdminsSid, 393216, false},
        {ids[1], kAdminsSid, 393216, false},
        {ids[2], kAdminsSid, 393216, false},
        {ids[3], kAdminsSid, 917504, false},
        {catalog_id::kTables, kCreatorSid, 983294, true},
        {catalog_id::kTables, kAdminsSid, 393217, false},
        {catalog_id::kRelationships, kCreatorSid, 983294, true},
        {catalog_id::kRelationships, kAdminsSid, 393217, false},
        {catalog_id::kDatabases, kAdminsSid, 393216, false},
        {catalog_id::kDatabaseObject, kAdminsSid, 393230, false},
        {catalog_id::kDatabaseObject, kUsersSid, 14, false},
        {ids[2], kUsersSid, 20, false},
        {ids[3], kUsersSid, 20, false},
        {ids[0], kUsersSid, 20, false},
        {catalog_id::kTables, kUsersSid, 1048319, true},
        {catalog_id::kRelationships, kUsersSid, 1048575, true},
    };
    for (const auto& a : aces) {
        builder.rows(1).push_back(rowOf(builder.schema(1), {{"ObjectId", int64_t(a.object)},
                                                            {"SID", a.sid},
                                                            {"ACM", a.acm},
                                                            {"FInheritable", a.inheritable}}));
    }
    return builder.finish();
}

Status writeNewFile(io::Env& env, const std::string& path, const std::vector<uint8_t>& bytes) {
    if (env.exists(path))
        return Status::error(err::kDatabaseExists, "database '" + path + "' already exists");
    const std::string temp = path + ".velmora-new";
    auto fail = [&](Status s) {
        if (env.exists(temp))
            (void)env.remove(temp);
        return s;
    };
    auto file = env.open(temp, io::OpenMode::CreateOrTrunc);
    if (!file)
        return fail(file.status());
    Status s = (*file)->write(0, bytes);
    if (s)
        s = (*file)->truncate(bytes.size());
    if (s)
        s = (*file)->sync();
    file->reset();
    if (!s)
        return fail(s);
    // Checked again just before the rename, which would replace a file made meanwhile.
    if (env.exists(path))
        return fail(Status::error(err::kDatabaseExists, "database '" + path + "' already exists"));
    s = env.rename(temp, path);
    if (!s)
        return fail(s);
    return env.syncFolderOf(path);
}

Status createDatabase(io::Env& env, const std::string& path, const NewDatabaseOptions& given) {
    if (env.exists(path))
        return Status::error(err::kDatabaseExists, "database '" + path + "' already exists");
    NewDatabaseOptions options = given;
    if (options.creationDate == 0)
        options.creationDate = accessDateOfLocalTime(env.now());
    VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes, buildNewJet4Database(options));
    return writeNewFile(env, path, bytes);
}

}  // namespace velmora::engine::jet
