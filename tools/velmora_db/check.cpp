// velmora-db check FILE: the structural check of a database file. Prints "ok" (and any notes)
// and exits 0, or lists every problem and exits 1.
#include "command.h"
#include "engine/base/error_codes.h"
#include "engine/jet/checker.h"

namespace velmora::tools {

engine::Status runCheck(const Args& args, std::ostream& out) {
    if (args.size() != 1)
        return usageError("usage: velmora-db check FILE");
    VELMORA_ASSIGN_OR_RETURN(auto db, openJetFile(args[0]));
    VELMORA_ASSIGN_OR_RETURN(engine::jet::CheckReport report, engine::jet::checkDatabase(*db));
    for (const auto& p : report.problems)
        out << "problem: " << p << "\n";
    for (const auto& n : report.notes)
        out << "note: " << n << "\n";
    if (!report.ok()) {
        return engine::Status::error(
            engine::err::kNotADatabase,
            std::to_string(report.problems.size()) + " problems found in '" + args[0] + "'");
    }
    out << "ok\n";
    return engine::Status::ok();
}

}  // namespace velmora::tools
