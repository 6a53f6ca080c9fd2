// The demo database written to a Jet file for the benchmarks that run the program on one:
// created empty, filled with the demo's tables and rows, and committed.
#pragma once

#include <string>

#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"

namespace velmora::bench {

inline bool writeDemoFile(const std::string& path, const demo::DemoDatabase& content) {
    engine::io::Env& env = engine::io::Env::real();
    if (!engine::jet::createDatabase(env, path).isOk())
        return false;
    auto db = engine::jet::openStoreDatabase(path, env);
    return db.isOk() && !content.tables.empty() && demo::addDemoTables(**db, content).isOk() &&
           (*db)->commit().isOk();
}

// The demo's default content with `channels` channels.
inline bool writeDemoFile(const std::string& path, int channels) {
    demo::DemoOptions options;
    options.channels = channels;
    auto content = demo::generateDemoDatabase(options);
    return content.isOk() && writeDemoFile(path, *content);
}

}  // namespace velmora::bench
