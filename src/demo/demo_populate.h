// Putting the demo tables into a database: any store::Database, so the same content lands in
// memory for tests and in a Jet file for the run script and the benchmarks. Every row goes
// through the store's checked insert, so the indexes' uniqueness holds exactly as the
// storage's own rules (Jet keys in a file) decide it.
#pragma once

#include <memory>

#include "demo/demo_generator.h"
#include "engine/base/status.h"
#include "engine/store/database.h"

namespace velmora::demo {

// Creates the demo's tables in `db` and inserts their rows; does not commit. A table that
// exists already is refused (3010) before anything is added.
engine::Status addDemoTables(engine::store::Database& db, const DemoDatabase& demo);

// The demo database kept in memory, committed: for tests of the editor's commands.
engine::Result<std::unique_ptr<engine::store::Database>> memoryDemoDatabase(
    const DemoOptions& options);

}  // namespace velmora::demo
