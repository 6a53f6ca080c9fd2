// Creating the demo tables in a database through the checked inserts.
#include "demo/demo_populate.h"

#include "engine/base/error_codes.h"
#include "engine/store/constraints.h"

namespace velmora::demo {

using engine::Result;
using engine::Status;

Status addDemoTables(engine::store::Database& db, const DemoDatabase& demo) {
    for (const DemoTable& t : demo.tables) {
        if (db.hasTable(t.schema.name)) {
            return Status::error(engine::err::kTableExists,
                                 "table '" + t.schema.name + "' already exists");
        }
    }
    for (const DemoTable& t : demo.tables) {
        VELMORA_ASSIGN_OR_RETURN(engine::store::Table * table, db.createTable(t.schema));
        for (size_t i = 0; i < t.rows.size(); ++i) {
            Result<engine::store::RowId> added =
                engine::store::insertRow(*table, t.rows[i], db.rowRules());
            if (!added) {
                return added.status().withContext("table " + t.schema.name + ", row " +
                                                  std::to_string(i + 1) + ": ");
            }
        }
    }
    return Status::ok();
}

Result<std::unique_ptr<engine::store::Database>> memoryDemoDatabase(const DemoOptions& options) {
    VELMORA_ASSIGN_OR_RETURN(DemoDatabase demo, generateDemoDatabase(options));
    auto db =
        std::make_unique<engine::store::Database>(std::make_unique<engine::store::MemoryStorage>());
    VELMORA_RETURN_IF_ERROR(addDemoTables(*db, demo));
    VELMORA_RETURN_IF_ERROR(db->commit());
    return db;
}

}  // namespace velmora::demo
