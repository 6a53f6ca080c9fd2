// velmora-db compact SOURCE DESTINATION: a compacted copy of SOURCE (refused when
// DESTINATION exists; SOURCE is only read).
#include "command.h"
#include "engine/io/file.h"
#include "engine/jet/compactor.h"

namespace velmora::tools {

engine::Status runCompact(const Args& args, std::ostream& out) {
    if (args.size() != 2)
        return usageError("usage: velmora-db compact SOURCE DESTINATION");
    VELMORA_ASSIGN_OR_RETURN(
        engine::jet::CompactReport report,
        engine::jet::compactDatabase(engine::io::Env::real(), args[0], args[1]));
    out << "compacted " << args[0] << " (" << report.sourcePages << " pages) into " << args[1]
        << " (" << report.destinationPages << " pages)\n";
    return engine::Status::ok();
}

}  // namespace velmora::tools
