// A new, empty Jet 4 database made from nothing: no template file is read.
//
// The file holds what the Jet engine itself puts into a database it creates: the header
// page, the global usage map, and the four system tables MSysObjects, MSysACEs, MSysQueries
// and MSysRelationships with their rows (the containers Tables, Databases and Relationships,
// the database object MSysDb, the four tables themselves, and their access entries), all
// laid out the way Jet lays out a fresh file (see database_image.h). Access adds its own
// objects (forms, reports, MSysAccessObjects) when it first opens such a file; Jet does not
// need them.
//
// The pieces are public so that the compactor and the commit that creates tables use the
// same definitions: the system table schemas, the header page, the access entries a new
// table gets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/io/file.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

// Fixed catalog Ids of the containers and the database object.
namespace catalog_id {
inline constexpr int32_t kRoot = 0x0F000000;
inline constexpr int32_t kTables = 0x0F000001;
inline constexpr int32_t kDatabases = 0x0F000002;
inline constexpr int32_t kRelationships = 0x0F000003;
inline constexpr int32_t kDatabaseObject = 0x10000000;  // MSysDb
}  // namespace catalog_id

// Catalog flag of Jet's own objects.
inline constexpr uint32_t kJetSystemObject = 0x80000000u;

struct NewDatabaseOptions {
    uint16_t codePage = 1252;
    uint16_t sortOrder = 1033;  // "General"
    // Creation date as an Access date (days since 1899-12-30, local time); 0 = the time of
    // the Env the file is created through (createDatabase).
    double creationDate = 0;
};

// The system tables as Jet defines them in a new Jet 4 file (columns laid out, indexes
// defined, page pointers not yet assigned), in catalog order.
Result<std::vector<store::TableSchema>> jet4SystemTableSchemas();

// Page 0 of a new Jet 4 file, masked as stored, with the creation date as given.
std::vector<uint8_t> jet4HeaderPage(const NewDatabaseOptions& options);

// The whole file of a new, empty database, with the creation date as given.
Result<std::vector<uint8_t>> buildNewJet4Database(const NewDatabaseOptions& options);

// Writes `bytes` as a new file at `path`: under a temporary name beside it first, synced,
// then renamed into place and the folder synced. 3204 when `path` exists; nothing is left
// behind on failure.
Status writeNewFile(io::Env& env, const std::string& path, const std::vector<uint8_t>& bytes);

// Creates a new, empty Jet 4 database at `path` (3204 when the file exists), created at the
// Env's time unless the options name a date.
Status createDatabase(io::Env& env, const std::string& path,
                      const NewDatabaseOptions& options = {});

}  // namespace velmora::engine::jet
