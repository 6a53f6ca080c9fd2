// velmora-db create FILE: a new, empty Jet 4 database (refused when FILE exists).
#include "command.h"
#include "engine/io/file.h"
#include "engine/jet/new_database.h"

namespace velmora::tools {

engine::Status runCreate(const Args& args, std::ostream& out) {
    if (args.size() != 1)
        return usageError("usage: velmora-db create FILE");
    VELMORA_RETURN_IF_ERROR(engine::jet::createDatabase(engine::io::Env::real(), args[0]));
    out << "created " << args[0] << "\n";
    return engine::Status::ok();
}

}  // namespace velmora::tools
