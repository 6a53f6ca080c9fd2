// velmora-db: inspect (and, through further subcommands, change) Jet .mdb files from the
// command line, on the engine alone. To add a subcommand, add its source file and one line to
// kCommands (and its declaration to command.h).
#include <cstring>
#include <iostream>

#include "command.h"
#include "engine/base/error_codes.h"

namespace velmora::tools {

engine::Status usageError(const std::string& message) {
    return engine::Status::error(engine::err::kInvalidArgument, message);
}

engine::Result<std::unique_ptr<engine::jet::JetStorage>> openJetFile(const std::string& path) {
    return engine::jet::openDatabase(path, engine::io::Env::real());
}

namespace {

const Command kCommands[] = {
    {"info", "FILE", "Jet version, page size and count, code page, sort order, protection",
     runInfo},
    {"tables", "FILE [--system]", "the tables in catalog order (--system: with system tables)",
     runTables},
    {"schema", "FILE [TABLE]", "columns and indexes of every table or of one", runSchema},
    {"export", "FILE TABLE", "the rows of a table as CSV", runExport},
    {"sql", "FILE STATEMENT...", "runs each statement in order and commits at the end", runSql},
    {"check", "FILE", "structural check: pages, rows, long values, indexes, row counts", runCheck},
    {"create", "FILE", "a new, empty Jet 4 database", runCreate},
    {"compact", "SOURCE DESTINATION", "a compacted copy of SOURCE, written as DESTINATION",
     runCompact},
    {"demo", "FILE [--channels N] [--seed S]",
     "a new database with demo channels, groups and assignments (N 1..32767, default 1500)",
     runDemo},
    {"hold", "FILE",
     "opens FILE as Velmora does and keeps it until standard input ends; prints \"writable\" "
     "or \"read-only: \" and why",
     runHold},
};

void printUsage(std::ostream& out) {
    out << "usage: velmora-db COMMAND ARGS...\n\ncommands:\n";
    for (const auto& c : kCommands)
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
}

}  // namespace
}  // namespace velmora::tools

int main(int argc, char** argv) {
    using namespace velmora::tools;
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 1 : 0;
    }
    std::ios::sync_with_stdio(false);
    for (const auto& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        Args args(argv + 2, argv + argc);
        velmora::engine::Status s = c.run(args, std::cout);
        std::cout.flush();
        if (!s) {
            std::cerr << "velmora-db: " << s.toString() << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "velmora-db: unknown command '" << argv[1] << "' (velmora-db --help lists them)\n";
    return 1;
}
