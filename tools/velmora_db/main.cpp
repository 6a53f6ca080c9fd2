// velmora-db: inspect (and, through further subcommands, change) Jet .mdb files from the
// command line, on the engine alone. To add a subcommand, add its source file and one line to
// kCommands (and its declaration to command.h).
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>

#include "command.h"
#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"
#include "engine/io/console.h"
#include "engine/io/file.h"

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
    {"takeover", "FILE OTHER [--names]",
     "takes channel numbers, favourite groups and positions (--names: also names) over from "
     "OTHER for the channels both files hold (same SOURCEID, SID, NID); FILE is backed up "
     "first; prints the counts matched, new, gone, groups created",
     runTakeOver},
};

void printUsage(std::ostream& out) {
    out << "usage: velmora-db COMMAND ARGS...\n\ncommands:\n";
    for (const auto& c : kCommands)
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
}

// SOURCE_DATE_EPOCH (seconds since 1970, the reproducible-builds convention) stands in for
// the clock in what the files written are stamped with, so the same commands give the same
// bytes on every run and every platform.
engine::Status fixTimeFromEnvironment() {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0')
        return engine::Status::ok();
    std::time_t seconds = 0;
    const char* end = epoch + std::strlen(epoch);
    const auto [stop, failed] = std::from_chars(epoch, end, seconds);
    if (failed != std::errc() || stop != end || seconds < 0)
        return usageError("SOURCE_DATE_EPOCH is not a number of seconds: '" + std::string(epoch) +
                          "'");
    engine::io::Env::real().fixTime(seconds);
    return engine::Status::ok();
}

// The arguments after the program's name, in UTF-8.
int run(const Args& words) {
    if (words.empty() || words[0] == "--help" || words[0] == "-h") {
        printUsage(words.empty() ? std::cerr : std::cout);
        return words.empty() ? 1 : 0;
    }
    std::ios::sync_with_stdio(false);
    engine::io::useUtf8StandardStreams();
    if (engine::Status s = fixTimeFromEnvironment(); !s) {
        std::cerr << "velmora-db: " << s.toString() << "\n";
        return 1;
    }
    for (const auto& c : kCommands) {
        if (words[0] != c.name)
            continue;
        Args args(words.begin() + 1, words.end());
        engine::Status s = c.run(args, std::cout);
        std::cout.flush();
        if (!s) {
            std::cerr << "velmora-db: " << s.toString() << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "velmora-db: unknown command '" << words[0]
              << "' (velmora-db --help lists them)\n";
    return 1;
}

}  // namespace
}  // namespace velmora::tools

#ifdef _WIN32
// Windows hands a narrow main() its arguments in the ANSI code page, which cannot hold every
// file name; the wide ones can (the build links with -municode).
int wmain(int argc, wchar_t** argv) {
    velmora::tools::Args words;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg(argv[i]);
        words.push_back(velmora::engine::text::utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    return velmora::tools::run(words);
}
#else
int main(int argc, char** argv) {
    return velmora::tools::run(velmora::tools::Args(argv + 1, argv + argc));
}
#endif
