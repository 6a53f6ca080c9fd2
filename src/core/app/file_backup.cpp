#include "core/app/file_backup.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <regex>
#include <vector>

#include "engine/base/error_codes.h"
#include "engine/base/local_time.h"

namespace velmora::core::app {

namespace {

namespace fs = std::filesystem;

// Large enough that a channel database is a handful of reads, small enough for the stack of
// nobody: the buffer lives on the heap.
constexpr std::size_t kCopyChunk = 1 << 20;

// The copy is written under a name of its own and takes the backup's name only once its bytes
// are on the disk: a power cut while the bytes are written would otherwise leave a torn file
// under a name that promises a whole backup. A cut before the rename leaves the part file.
engine::Status copyFile(engine::io::Env& env, const std::string& from, const std::string& to) {
    const std::string part = to + ".part";
    {
        VELMORA_ASSIGN_OR_RETURN(auto source, env.open(from, engine::io::OpenMode::ReadOnly));
        VELMORA_ASSIGN_OR_RETURN(const uint64_t size, source->size());
        VELMORA_ASSIGN_OR_RETURN(auto target, env.open(part, engine::io::OpenMode::CreateOrTrunc));
        std::vector<uint8_t> buffer(static_cast<std::size_t>(std::min<uint64_t>(size, kCopyChunk)));
        for (uint64_t offset = 0; offset < size; offset += buffer.size()) {
            const auto n =
                static_cast<std::size_t>(std::min<uint64_t>(buffer.size(), size - offset));
            const std::span<uint8_t> chunk(buffer.data(), n);
            VELMORA_RETURN_IF_ERROR(source->read(offset, chunk));
            VELMORA_RETURN_IF_ERROR(target->write(offset, chunk));
        }
        VELMORA_RETURN_IF_ERROR(target->sync());
    }
    VELMORA_RETURN_IF_ERROR(env.rename(part, to));
    return env.syncFolderOf(to);
}

}  // namespace

LocalTime localTimeNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = engine::localTimeOf(now);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::vector<std::string> backupsOf(const std::string& dbPath) {
    const fs::path db(dbPath);
    const std::string prefix = db.filename().string() + ".";
    static const std::regex stamp(R"(\d{8}-\d{6}\.bak)");
    std::vector<std::string> found;
    std::error_code ec;
    const fs::path folder = db.has_parent_path() ? db.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::regex_match(name.substr(prefix.size()), stamp)) {
            found.push_back(it->path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string backupPath(const std::string& dbPath, const LocalTime& at) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".%04d%02d%02d-%02d%02d%02d.bak", at.year, at.month, at.day,
                  at.hour, at.minute, at.second);
    return dbPath + stamp;
}

engine::Status backUpFile(engine::io::Env& env, const std::string& dbPath, const LocalTime& at,
                          int keep) {
    const std::string target = backupPath(dbPath, at);
    if (engine::Status copied = copyFile(env, dbPath, target); !copied.isOk()) {
        // A partial copy is no backup; the copy's error counts.
        for (const std::string& partial : {target + ".part", target}) {
            if (env.exists(partial)) {
                (void)env.remove(partial);
            }
        }
        return copied;
    }
    std::vector<std::string> backups = backupsOf(dbPath);
    const auto surplus = static_cast<std::ptrdiff_t>(backups.size()) - keep;
    for (std::ptrdiff_t i = 0; i < surplus; ++i) {
        VELMORA_RETURN_IF_ERROR(env.remove(backups[static_cast<std::size_t>(i)]));
    }
    return engine::Status::ok();
}

}  // namespace velmora::core::app
