// velmora-db demo FILE [--channels N] [--seed S]: writes a new Jet 4 database shaped like the
// receiver program's, filled with the demo content (see demo/demo_generator.h). The same
// options give the same content. An existing FILE is never overwritten.
#include <charconv>
#include <memory>
#include <ostream>

#include "command.h"
#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "demo/demo_schema.h"
#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"

namespace velmora::tools {
namespace {

// 2026-01-01 00:00 as an Access date.
constexpr double kDemoCreationDate = 46023;

constexpr char kUsage[] = "usage: velmora-db demo FILE [--channels N] [--seed S]";

template <class T>
bool parseNumber(const std::string& text, T& into) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, into);
    return ec == std::errc() && ptr == end;
}

struct DemoArgs {
    std::string path;
    demo::DemoOptions options;
};

engine::Result<DemoArgs> parseArgs(const Args& args) {
    DemoArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--channels" || a == "--seed") {
            if (i + 1 == args.size())
                return usageError(a + " needs a value\n" + kUsage);
            const std::string& value = args[++i];
            const bool ok = a == "--channels" ? parseNumber(value, parsed.options.channels)
                                              : parseNumber(value, parsed.options.seed);
            if (!ok)
                return usageError(a + ": '" + value + "' is not a whole number\n" + kUsage);
        } else if (!a.empty() && a[0] == '-') {
            return usageError("unknown option '" + a + "'\n" + kUsage);
        } else if (parsed.path.empty()) {
            parsed.path = a;
        } else {
            return usageError(kUsage);
        }
    }
    if (parsed.path.empty())
        return usageError(kUsage);
    return parsed;
}

}  // namespace

engine::Status runDemo(const Args& args, std::ostream& out) {
    VELMORA_ASSIGN_OR_RETURN(DemoArgs parsed, parseArgs(args));
    // Generate first: a channel count out of range is reported before anything is written.
    VELMORA_ASSIGN_OR_RETURN(demo::DemoDatabase content,
                             demo::generateDemoDatabase(parsed.options));
    engine::io::Env& env = engine::io::Env::real();
    if (env.exists(parsed.path)) {
        return engine::Status::error(engine::err::kInvalidArgument,
                                     "'" + parsed.path + "' exists; the demo never overwrites");
    }
    // The header's creation date is fixed, so that the same options give the same header.
    engine::jet::NewDatabaseOptions fileOptions;
    fileOptions.creationDate = kDemoCreationDate;
    VELMORA_RETURN_IF_ERROR(engine::jet::createDatabase(env, parsed.path, fileOptions));

    // Tables and rows go in with one commit; should it fail, the new file goes again, so
    // that no half-filled demo database is left to be taken for a finished one.
    engine::Status filled = [&]() -> engine::Status {
        VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<engine::store::Database> db,
                                 engine::jet::openStoreDatabase(parsed.path, env));
        VELMORA_RETURN_IF_ERROR(demo::addDemoTables(*db, content));
        return db->commit();
    }();
    if (!filled) {
        engine::Status removed = env.remove(parsed.path);
        return filled.withContext(removed ? "'" + parsed.path + "' not created: "
                                          : "'" + parsed.path + "' left unfinished (" +
                                                removed.toString() + "): ");
    }
    const auto rows = [&](const char* table) { return content.find(table)->rows.size(); };
    out << parsed.path << ": " << rows(demo::kChannelsTable) << " channels, "
        << rows(demo::kFavnameTable) << " favourite groups, " << rows(demo::kFavouriteTable)
        << " assignments (seed " << parsed.options.seed << ")\n";
    return engine::Status::ok();
}

}  // namespace velmora::tools
