// A DAO database over the WinSTB tables in memory (support/winstb_fixture.h), for the suites of
// this folder.
#pragma once

#include <memory>

#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "support/winstb_fixture.h"

namespace velmora::testing {

struct WinStbDatabase {
    engine::store::MemoryStorage* storage;  // owned by db
    std::unique_ptr<engine::dao::Database> db;
};

inline WinStbDatabase openWinStb(WinStbOptions options = {}) {
    auto ws = engine::dao::Workspace::createWorkspace();
    auto storage = std::make_unique<engine::store::MemoryStorage>();
    auto* raw = storage.get();
    auto db = ws.openDatabase(std::move(storage));
    addWinStbTables(db->store(), options);
    return {raw, std::move(db)};
}

}  // namespace velmora::testing
