// A Jet 3 / Jet 4 database file as a store::TableStorage, plus the raw views of the file the
// writer and the consistency check need (table definitions, data pages, usage maps, index
// pages).
//
// Opening reads page 0 and the catalog; a table is decoded when it is loaded. Files the engine
// cannot read are refused at open, each with its own message: Access 2007 and later (ACE)
// files, files encoded page by page ("Encode database") and files with a database password.
//
// Loaded tables keep their columns in the order the table definition stores them, which is
// not always column-number order; columnsInNumberOrder() gives the order Access lists them in.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/io/file.h"
#include "engine/io/pager.h"
#include "engine/jet/catalog.h"
#include "engine/jet/data_page.h"
#include "engine/jet/format.h"
#include "engine/jet/header.h"
#include "engine/jet/index_page.h"
#include "engine/jet/table_definition.h"
#include "engine/jet/table_reader.h"
#include "engine/jet/usage_map.h"
#include "engine/store/database.h"

namespace velmora::engine::jet {

class JetStorage : public store::TableStorage {
public:
    // Opens an already opened file; `path` only names it in messages.
    static Result<std::unique_ptr<JetStorage>> open(std::unique_ptr<io::File> file,
                                                    const std::string& path);

    // store::TableStorage
    std::vector<store::TableInfo> listTables() override;
    Result<std::unique_ptr<store::Table>> loadTable(const std::string& name) override;
    // The columns not chosen are found in no row and decoded in none.
    Result<std::unique_ptr<store::Table>> loadColumns(const std::string& name,
                                                      const ColumnChoice& choose) override;
    Status readUnreadColumns(store::Table& table) override;
    Status commit(const Changes& changes) override;
    std::string readOnlyReason() const override;

    const DatabaseHeader& header() const { return m_header; }
    const JetFormat& format() const { return *m_format; }
    io::Pager& pager() { return *m_pager; }
    const std::string& path() const { return m_path; }

    // Every MSysObjects entry in stored order, and the table entry of this name
    // (case-insensitive).
    const std::vector<CatalogEntry>& catalog() const { return m_catalog; }
    const CatalogEntry* findTable(const std::string& name) const;
    // Reads the catalog again (after a commit created or deleted tables).
    Status reloadCatalog() { return loadCatalog(); }
    // After whole pages of the file were written back from elsewhere (jet_database.h): the
    // cached pages, the size, the catalog and what was learnt of stored keys go.
    Status reloadAfterPagesWritten();

    // Raw access. Errors name the table and the page where the damage was noticed.
    Result<TableDefinition> tableDefinition(const std::string& name);
    Result<TableRows> tableRows(const std::string& name);
    // The rows of the table `def` describes, one at a time, but those in `passOver`
    // (table_reader.h).
    Status scanRows(const TableDefinition& def, const RowSink& sink,
                    std::span<const uint32_t> passOver = {});
    Result<std::vector<DataPage>> tableDataPages(const std::string& name);
    Result<UsageMap> usageMap(RowPointer where);
    // The global usage map (page 1, row 0): a set bit means the page is free.
    Result<UsageMap> globalUsageMap();
    Result<std::vector<IndexPage>> indexPages(const store::RealIndex& index);
    // With `pageNumbers`: also every page of the tree (index_page.h).
    Result<std::vector<IndexEntry>> indexLeafEntries(const store::RealIndex& index,
                                                     std::vector<uint32_t>* pageNumbers = nullptr);

    // Tables (by their definition page) whose stored index keys were found to be the keys
    // this program builds (stored_keys.h). A file open for writing is changed by this program
    // alone, so every later state of such a table was written with our keys too.
    bool keysMatchOurs(uint32_t tdefPage) const { return m_keysMatchOurs.count(tdefPage) != 0; }
    void noteKeysMatchOurs(uint32_t tdefPage) { m_keysMatchOurs.insert(tdefPage); }

private:
    JetStorage() = default;
    Status loadCatalog();
    Result<TableDefinition> definitionAt(uint32_t page, const std::string& name);
    // The table `def` describes, with the columns `wanted` marks read (all when empty).
    Result<std::unique_ptr<store::Table>> loadFrom(const TableDefinition& def,
                                                   std::span<const uint8_t> wanted);

    std::string m_path;
    DatabaseHeader m_header;
    const JetFormat* m_format = nullptr;
    std::unique_ptr<io::Pager> m_pager;
    std::vector<CatalogEntry> m_catalog;
    std::set<uint32_t> m_keysMatchOurs;
};

// Opens the database at `path` for reading.
Result<std::unique_ptr<JetStorage>> openDatabase(const std::string& path, io::Env& env);

}  // namespace velmora::engine::jet
