// Every byte of a file at once, for the small files read whole: a rollback journal checked
// before it plays back, an undo step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::engine::io {

inline Result<std::vector<uint8_t>> readWholeFile(Env& env, const std::string& path) {
    VELMORA_ASSIGN_OR_RETURN(auto file, env.open(path, OpenMode::ReadOnly));
    VELMORA_ASSIGN_OR_RETURN(const uint64_t size, file->size());
    std::vector<uint8_t> bytes(static_cast<size_t>(size), 0);
    if (!bytes.empty())
        VELMORA_RETURN_IF_ERROR(file->read(0, bytes));
    return bytes;
}

}  // namespace velmora::engine::io
