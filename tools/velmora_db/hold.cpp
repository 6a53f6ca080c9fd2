// velmora-db hold FILE: opens FILE as Velmora opens a channel database and keeps it open, with
// its locks, until standard input ends. It first prints one line: "writable" when Velmora may
// write the file, or "read-only: " and the reason (another program holds it, the file or its
// folder cannot be written). Lets a user or a script see how Velmora and another program meet
// over one file.
#include <iostream>

#include "command.h"
#include "engine/dao/workspace.h"

namespace velmora::tools {

engine::Status runHold(const Args& args, std::ostream& out) {
    if (args.size() != 1)
        return usageError("usage: velmora-db hold FILE");
    try {
        auto ws = engine::dao::Workspace::createWorkspace();
        auto db = ws.openDatabase(args[0]);
        if (db->isReadOnly())
            out << "read-only: " << db->readOnlyReason() << std::endl;
        else
            out << "writable" << std::endl;
        for (char c; std::cin.get(c);) {
        }
        db->close();
    } catch (const engine::dao::DaoError& e) {
        return engine::Status::error(e.number(), e.text());
    }
    return engine::Status::ok();
}

}  // namespace velmora::tools
