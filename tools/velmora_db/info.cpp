// velmora-db info FILE: what page 0 says about the database. Works on files the engine
// refuses to open (encoded, password-protected), since it reads only the header.
#include <algorithm>

#include "command.h"
#include "engine/jet/header.h"

namespace velmora::tools {

engine::Status runInfo(const Args& args, std::ostream& out) {
    using namespace velmora::engine;
    if (args.size() != 1)
        return usageError("usage: velmora-db info FILE");
    VELMORA_ASSIGN_OR_RETURN(auto file, io::Env::real().open(args[0], io::OpenMode::ReadOnly));
    VELMORA_ASSIGN_OR_RETURN(uint64_t size, file->size());
    std::vector<uint8_t> start(size_t(std::min<uint64_t>(size, 0x100)));
    VELMORA_RETURN_IF_ERROR(file->read(0, start));
    auto header = jet::decodeHeader(start);
    if (!header)
        return header.status().withContext("'" + args[0] + "': ");
    const auto& h = *header;
    bool jet3 = h.version == jet::JetVersion::Jet3;
    out << "Jet version: " << (jet3 ? "Jet 3 (Access 97)" : "Jet 4 (Access 2000-2003)") << "\n";
    out << "Page size: " << h.pageSize << "\n";
    out << "Page count: " << size / h.pageSize << "\n";
    out << "Code page: " << h.codePage << "\n";
    out << "Sort order: " << h.sortOrder;
    if (!jet3)
        out << " (version " << int(h.sortVersion) << ")";
    out << "\n";
    out << "Encoded: " << (h.isEncoded() ? "yes" : "no") << "\n";
    out << "Password: " << (h.hasPassword() ? "yes" : "no") << "\n";
    return Status::ok();
}

}  // namespace velmora::tools
