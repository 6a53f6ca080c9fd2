// velmora-db takeover FILE OTHER [--names]: takes channel numbers, favourite groups and their
// positions (and with --names the names) over from OTHER into FILE, as the window's "Take over
// from..." does (core/takeover/take_over.h). FILE is backed up beside itself first, as before
// every change Velmora makes, and then changed in one atomic commit; OTHER is only read.
// Prints the counts: matched, new, gone, groups created.
#include <filesystem>
#include <ostream>

#include "command.h"
#include "core/app/file_backup.h"
#include "core/takeover/take_over.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"
#include "engine/dao/workspace.h"

namespace velmora::tools {

namespace {

constexpr char kUsage[] = "usage: velmora-db takeover FILE OTHER [--names]";

}  // namespace

engine::Status runTakeOver(const Args& args, std::ostream& out) {
    std::vector<std::string> files;
    core::takeover::TakeOverOptions options;
    for (const std::string& a : args) {
        if (a == "--names")
            options.takeNames = true;
        else if (a.starts_with("--"))
            return usageError(kUsage);
        else
            files.push_back(a);
    }
    if (files.size() != 2)
        return usageError(kUsage);
    std::error_code ec;
    if (std::filesystem::equivalent(files[0], files[1], ec))
        return usageError("OTHER is FILE itself: nothing to take over");
    try {
        auto other = core::takeover::openForReading(files[1]);
        auto ws = engine::dao::Workspace::createWorkspace();
        auto db = ws.openDatabase(files[0]);
        if (db->isReadOnly()) {
            return engine::Status::error(
                engine::err::kReadOnlyDatabase,
                "'" + files[0] + "' cannot be written: " + db->readOnlyReason());
        }
        const core::takeover::TakeOverPlan plan =
            core::takeover::planTakeOver(*db, *other, options);
        other->close();
        VELMORA_RETURN_IF_ERROR(
            core::app::backUpFile(engine::io::Env::real(), files[0], core::app::localTimeNow()));
        core::takeover::applyTakeOver(*db, plan);
        db->commit();
        db->close();
        out << "matched " << plan.counts.matched << "\nnew " << plan.counts.added << "\ngone "
            << plan.counts.gone << "\ngroups created " << plan.counts.groupsCreated << "\n";
    } catch (const engine::dao::DaoError& e) {
        // Nothing was committed; the file is as it was.
        return engine::Status::error(e.number(), e.text());
    }
    return engine::Status::ok();
}

}  // namespace velmora::tools
