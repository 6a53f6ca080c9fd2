// Changes to the shape of a Jet 3 or Jet 4 database inside a commit: tables created, tables
// deleted, and tables whose design changed (an index added to a table that has rows).
//
// Each of them becomes page images in the same CommitPages as every other change of the
// commit, so it is written under the same journal, all or nothing:
//   - a new table gets its definition pages, a usage-map host page of its own, an index root
//     per real index, its rows, long values and index trees (database_image.h lays them
//     out); its MSysObjects row (Id = its definition page, parent "Tables", type 1, flags 0,
//     owner = MSysDb's owner) and one MSysACEs row per inheritable entry of the Tables
//     container are added, and both catalog tables are rewritten with their indexes;
//   - a deleted table releases every page it holds (definition chain, data, long values,
//     index pages, and usage-map host pages no other table uses) and loses its catalog and
//     access rows;
//   - a table whose design changed is rewritten whole at its first definition page, so its
//     Id stays; its old pages are released.
// Pages released here become free in the new global map, and are not reused by the commit.
#pragma once

#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/page_writer.h"
#include "engine/jet/table_writer.h"
#include "engine/store/database.h"
#include "engine/store/table.h"

namespace velmora::engine::jet {

// Whether the in-memory design of a stored table differs from its definition in the file
// (columns, real or logical indexes), so that it must be rewritten whole.
Result<bool> designDiffers(JetStorage& storage, const store::Table& table);

// Writes the created, deleted and redesigned tables of `changes` and the catalog rows they
// need. Tables of `changes.changed` that are neither new nor redesigned are returned in
// `unchanged` for the ordinary table writer. The schemas of written tables are updated to
// what the file now holds (definition page, usage maps, index roots). `now` (an Access date)
// becomes the creation and change date of the new tables' catalog rows.
Status writeSchemaChanges(JetStorage& storage, const store::TableStorage::Changes& changes,
                          double now, PageAllocator& allocator, CommitPages& out,
                          std::vector<store::Table*>& unchanged);

// Gives the columns of a table created in memory their stored layout (layoutNewColumns),
// keeping index columns pointed at the same columns, sorts its logical indexes by name and
// sets the index flag of the file's version (0x80 in Jet 4, none in Jet 3). Safe to repeat.
Status prepareNewTableSchema(store::TableSchema& schema, const JetFormat& fmt);

// Adds an index to a table in memory, after checking it against the table's rows with the
// storage's own keys: 3012 when the name is taken, 3283 when a second primary key is asked
// for, 3022 when a unique or primary index meets a repeated key, 3058 when a primary or
// required index meets a Null. Nothing changes on an error. A primary key is unique and required;
// every index gets Jet 4's flag 0x80.
struct NewIndex {
    std::string name;
    std::vector<store::IndexColumn> columns;  // by column number
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false;
};
Status addIndexToTable(store::Table& table, const NewIndex& index, const store::RowRules& rules);

}  // namespace velmora::engine::jet
