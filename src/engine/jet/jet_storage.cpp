// Opening a Jet file and serving its tables; see jet_storage.h.
#include "engine/jet/jet_storage.h"

#include <algorithm>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

Status inTable(const std::string& table, const Status& s) {
    return s.withContext("table " + table + ": ");
}

}  // namespace

Result<std::unique_ptr<JetStorage>> openDatabase(const std::string& path, io::Env& env) {
    auto file = env.open(path, io::OpenMode::ReadOnly);
    if (!file)
        return file.status();
    return JetStorage::open(std::move(file).value(), path);
}

Result<std::unique_ptr<JetStorage>> JetStorage::open(std::unique_ptr<io::File> file,
                                                     const std::string& path) {
    auto fail = [&](const Status& s) { return s.withContext("'" + path + "': "); };
    auto sizeResult = file->size();
    if (!sizeResult)
        return fail(sizeResult.status());
    uint64_t size = *sizeResult;
    std::vector<uint8_t> start(size_t(std::min<uint64_t>(size, 0x100)));
    if (!start.empty()) {
        Status s = file->read(0, start);
        if (!s)
            return fail(s);
    }
    auto header = decodeHeader(start);
    if (!header)
        return fail(header.status());
    const DatabaseHeader& h = *header;
    if (h.isEncoded()) {
        return fail(Status::error(err::kUnrecognizedFormat,
                                  "the database is encoded (\"Encode database\"); encoded files "
                                  "cannot be opened"));
    }
    if (h.hasPassword()) {
        return fail(Status::error(err::kNotAPassword,
                                  "the database is protected by a password; such files cannot "
                                  "be opened"));
    }

    std::unique_ptr<JetStorage> db(new JetStorage());
    db->m_path = path;
    db->m_header = h;
    db->m_format = &formatFor(h.version);
    auto pager = io::Pager::open(std::move(file), h.pageSize);
    if (!pager)
        return fail(pager.status());
    db->m_pager = std::move(pager).value();
    if (db->m_pager->pageCount() < 3) {
        return fail(Status::error(err::kNotADatabase,
                                  "the file is too short: it ends before the system catalog"));
    }
    Status s = db->loadCatalog();
    if (!s)
        return fail(s);
    return db;
}

Status JetStorage::reloadAfterPagesWritten() {
    m_pager->clear();
    VELMORA_RETURN_IF_ERROR(m_pager->refreshSize());
    m_keysMatchOurs.clear();
    return loadCatalog();
}

Status JetStorage::loadCatalog() {
    auto def = definitionAt(kCatalogPage, "MSysObjects");
    if (!def)
        return def.status();
    auto rows = readTableRows(*m_pager, *m_format, *def, m_header.codePage);
    if (!rows)
        return inTable("MSysObjects", rows.status());
    store::Table table(def->schema);
    for (const auto& r : rows->rows)
        table.append(r);
    VELMORA_ASSIGN_OR_RETURN(m_catalog, catalogFromTable(table));
    return Status::ok();
}

Result<TableDefinition> JetStorage::definitionAt(uint32_t page, const std::string& name) {
    auto def = readTableDefinition(*m_pager, *m_format, page, m_header.codePage);
    if (!def)
        return inTable(name, def.status());
    def->schema.name = name;
    return def;
}

std::vector<store::TableInfo> JetStorage::listTables() {
    std::vector<store::TableInfo> out;
    for (const auto& e : m_catalog) {
        if (e.isTable())
            out.push_back({e.name, e.isSystem()});
    }
    return out;
}

const CatalogEntry* JetStorage::findTable(const std::string& name) const {
    for (const auto& e : m_catalog) {
        if (e.isTable() && store::sameName(e.name, name))
            return &e;
    }
    return nullptr;
}

Result<TableDefinition> JetStorage::tableDefinition(const std::string& name) {
    const CatalogEntry* e = findTable(name);
    if (!e)
        return Status::error(err::kTableNotFound, "there is no table '" + name + "'");
    if (e->id <= 0 || uint32_t(e->id) >= m_pager->pageCount()) {
        return Status::error(err::kNotADatabase, "table " + e->name + ": its definition page " +
                                                     std::to_string(e->id) +
                                                     " lies outside the file");
    }
    return definitionAt(uint32_t(e->id), e->name);
}

Result<TableRows> JetStorage::tableRows(const std::string& name) {
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, tableDefinition(name));
    auto rows = readTableRows(*m_pager, *m_format, def, m_header.codePage);
    if (!rows)
        return inTable(def.schema.name, rows.status());
    return rows;
}

Status JetStorage::scanRows(const TableDefinition& def, const RowSink& sink,
                            std::span<const uint32_t> passOver) {
    const Status s = scanTableRows(*m_pager, *m_format, def, m_header.codePage, sink, passOver);
    return s.isOk() ? s : inTable(def.schema.name, s);
}

Result<std::vector<DataPage>> JetStorage::tableDataPages(const std::string& name) {
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, tableDefinition(name));
    auto pages = readTableDataPages(*m_pager, *m_format, def);
    if (!pages)
        return inTable(def.schema.name, pages.status());
    return pages;
}

Result<std::unique_ptr<store::Table>> JetStorage::loadTable(const std::string& name) {
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, tableDefinition(name));
    return loadFrom(def, {});
}

Result<std::unique_ptr<store::Table>> JetStorage::loadColumns(const std::string& name,
                                                              const ColumnChoice& choose) {
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, tableDefinition(name));
    // A table with long values may be written anew by its commit (table_writer.h), which
    // takes every value of every row: it is read whole.
    const auto& columns = def.schema.columns;
    if (std::any_of(columns.begin(), columns.end(),
                    [](const store::ColumnDef& c) { return c.isLongValue(); }))
        return loadFrom(def, {});
    return loadFrom(def, choose(def.schema));
}

Result<std::unique_ptr<store::Table>> JetStorage::loadFrom(const TableDefinition& def,
                                                           std::span<const uint8_t> wanted) {
    auto table = std::make_unique<store::Table>(def.schema);
    table->reserve(def.rowCount < 1'000'000 ? def.rowCount : 0);
    const Status scanned = scanTablePackedRows(
        *m_pager, *m_format, def, m_header.codePage,
        [&](const store::PackedRowBuilder& row, const RowLocation& where) {
            // Where the row was read: the stored-key check of the first commit
            // takes the keys of rows unchanged since from the writer
            // (stored_keys.h).
            table->appendStored(row, where.slot.toU32());
            return Status::ok();
        },
        wanted);
    if (!scanned.isOk())
        return inTable(def.schema.name, scanned);
    table->setPlaces({}, false);  // also for a table without rows
    table->markClean();
    if (!wanted.empty()) {
        std::vector<int> unread;
        for (size_t i = 0; i < def.schema.columns.size(); ++i) {
            if (i >= wanted.size() || wanted[i] == 0)
                unread.push_back(int(i));
        }
        table->setUnreadColumns(std::move(unread));
    }
    return table;
}

Status JetStorage::readUnreadColumns(store::Table& table) {
    if (!table.hasUnreadColumns())
        return Status::ok();
    const std::string& name = table.schema().name;
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, tableDefinition(name));
    // The live rows by the slots they were read from: nothing that moves a row or adds one
    // runs while columns are unread (store::Database), so each is still there.
    std::vector<std::pair<uint32_t, store::RowId>> byPlace;
    byPlace.reserve(table.liveRowCount());
    for (store::RowId id = 0; id < table.idLimit(); ++id) {
        if (table.isLive(id))
            byPlace.emplace_back(table.placeOf(id), id);
    }
    std::sort(byPlace.begin(), byPlace.end());
    const std::span<const int> unread = table.unreadColumns();
    std::vector<store::Value> values(unread.size());
    size_t found = 0;
    const Status scanned = scanRows(def, [&](store::Row&& row, const RowLocation& where) {
        const uint32_t place = where.slot.toU32();
        const auto it = std::lower_bound(byPlace.begin(), byPlace.end(),
                                         std::pair<uint32_t, store::RowId>(place, 0));
        if (it == byPlace.end() || it->first != place)
            return Status::ok();  // erased since
        for (size_t k = 0; k < unread.size(); ++k)
            values[k] = std::move(row[size_t(unread[k])]);
        table.fillUnread(it->second, values);
        ++found;
        return Status::ok();
    });
    VELMORA_RETURN_IF_ERROR(scanned);
    if (found != byPlace.size()) {
        return Status::error(err::kNotADatabase,
                             "table " + name + ": " + std::to_string(byPlace.size() - found) +
                                 " of its rows are no longer where they were read");
    }
    table.markAllRead();
    return Status::ok();
}

Result<UsageMap> JetStorage::usageMap(RowPointer where) {
    return readUsageMap(*m_pager, *m_format, where, m_pager->pageCount());
}

Result<UsageMap> JetStorage::globalUsageMap() {
    return readUsageMap(*m_pager, *m_format, RowPointer{1, 0}, m_pager->pageCount());
}

Result<std::vector<IndexPage>> JetStorage::indexPages(const store::RealIndex& index) {
    return readIndexTree(*m_pager, *m_format, index.rootPage);
}

Result<std::vector<IndexEntry>> JetStorage::indexLeafEntries(const store::RealIndex& index,
                                                             std::vector<uint32_t>* pageNumbers) {
    return readIndexLeafEntries(*m_pager, *m_format, index.rootPage, pageNumbers);
}

Status JetStorage::commit(const Changes&) {
    return Status::error(err::kReadOnlyDatabase, readOnlyReason());
}

std::string JetStorage::readOnlyReason() const {
    if (m_header.version == JetVersion::Jet3)
        return "Jet 3 files are opened read-only";
    return "writing is not available for this file yet";
}

}  // namespace velmora::engine::jet
