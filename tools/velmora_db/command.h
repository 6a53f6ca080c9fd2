// The subcommands of velmora-db. Each lives in its own source file and is listed once in the
// table in main.cpp. A subcommand writes its normal output to `out` and reports failure as a
// Status; main prints that as "velmora-db: MESSAGE" on standard error and exits with 1.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <memory>

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"

namespace velmora::tools {

using Args = std::vector<std::string>;
using CommandFn = engine::Status (*)(const Args& args, std::ostream& out);

struct Command {
    const char* name;
    const char* usage;  // arguments after the subcommand name
    const char* summary;
    CommandFn run;
};

// A usage error (exit status 1, like every failure).
engine::Status usageError(const std::string& message);

// Opens a database file for reading through the real file system.
engine::Result<std::unique_ptr<engine::jet::JetStorage>> openJetFile(const std::string& path);

engine::Status runInfo(const Args& args, std::ostream& out);
engine::Status runTables(const Args& args, std::ostream& out);
engine::Status runSchema(const Args& args, std::ostream& out);
engine::Status runExport(const Args& args, std::ostream& out);
engine::Status runSql(const Args& args, std::ostream& out);
engine::Status runCheck(const Args& args, std::ostream& out);
engine::Status runCreate(const Args& args, std::ostream& out);
engine::Status runCompact(const Args& args, std::ostream& out);
engine::Status runDemo(const Args& args, std::ostream& out);
engine::Status runHold(const Args& args, std::ostream& out);
engine::Status runTakeOver(const Args& args, std::ostream& out);

}  // namespace velmora::tools
