// libFuzzer target over whole database files: page 0, the catalog, table definitions, rows,
// long values, usage maps and index pages are all reached by opening the input as a file and
// reading every table and index. Any input must end in a Status, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/io/memory_env.h"
#include "engine/jet/jet_storage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::engine;
    io::MemoryEnv env;
    env.contents("/fuzz.mdb").assign(data, data + size);
    auto db = jet::openDatabase("/fuzz.mdb", env);
    if (!db.isOk())
        return 0;
    for (const auto& t : (*db)->listTables()) {
        auto def = (*db)->tableDefinition(t.name);
        if (!def.isOk())
            continue;
        (void)(*db)->tableRows(t.name);
        for (const auto& ri : def->schema.realIndexes)
            (void)(*db)->indexLeafEntries(ri);
    }
    (void)(*db)->globalUsageMap();
    return 0;
}
