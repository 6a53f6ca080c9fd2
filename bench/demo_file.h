// The demo database written to a Jet file for the benchmarks that run the program on one:
// created empty, filled with the demo's tables and rows, and committed.
#pragma once

#include <string>

#if defined(__unix__)
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// Runs `write` (a set-up that writes a file) in a child process where there is one, so that
// the program measured afterwards starts with an allocator as a program started on the file
// has it. Run in the program itself, the set-up's tens of megabytes left the heap in pieces
// and raised malloc's threshold for mapping large blocks apart: a command's later peak was
// up to 12 MB higher (ReNumber over 32 767 channels: 42.5 against 30.3 MB).
template <class Write>
bool writeApart(Write&& write) {
#if defined(__unix__)
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(write() ? 0 : 1);  // no exit(): the parent's buffered output stays its own
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
#else
    return write();
#endif
}

}  // namespace velmora::bench
