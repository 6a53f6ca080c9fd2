// velmora-db tables FILE [--system]: table names in catalog order, one per line.
#include "command.h"

namespace velmora::tools {

engine::Status runTables(const Args& args, std::ostream& out) {
    std::string path;
    bool withSystem = false;
    for (const auto& a : args) {
        if (a == "--system")
            withSystem = true;
        else if (path.empty())
            path = a;
        else
            return usageError("usage: velmora-db tables FILE [--system]");
    }
    if (path.empty())
        return usageError("usage: velmora-db tables FILE [--system]");
    VELMORA_ASSIGN_OR_RETURN(auto db, openJetFile(path));
    for (const auto& t : db->listTables()) {
        if (withSystem || !t.system)
            out << t.name << "\n";
    }
    return engine::Status::ok();
}

}  // namespace velmora::tools
