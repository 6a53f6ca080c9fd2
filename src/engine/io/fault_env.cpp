// The fault-injecting Env; see fault_env.h.
#include "engine/io/fault_env.h"

#include <algorithm>

#include "engine/base/error_codes.h"

namespace velmora::engine::io {
namespace {

class FaultFile final : public File {
public:
    FaultFile(FaultEnv& env, std::shared_ptr<FaultEnv::Node> node, std::string path, bool writable)
        : m_env(env), m_node(std::move(node)), m_path(std::move(path)), m_writable(writable) {}

    Status read(uint64_t offset, std::span<uint8_t> out) override {
        if (m_env.crashed())
            return Status::error(err::kDiskIo, "power is off");
        if (offset + out.size() > m_node->current.size()) {
            return Status::error(err::kNotADatabase, "unexpected end of file '" + m_path +
                                                         "' at byte " + std::to_string(offset));
        }
        std::copy_n(m_node->current.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
        return Status::ok();
    }
    Status write(uint64_t offset, std::span<const uint8_t> data) override {
        if (!m_writable)
            return Status::error(err::kReadOnlyDatabase, "'" + m_path + "' is read-only");
        VELMORA_RETURN_IF_ERROR(m_env.beforeWrite());
        auto& bytes = m_node->current;
        if (offset + data.size() > bytes.size()) {
            VELMORA_RETURN_IF_ERROR(m_env.beforeGrowth(m_path));
            bytes.resize(offset + data.size());
        }
        std::copy(data.begin(), data.end(), bytes.begin() + std::ptrdiff_t(offset));
        return Status::ok();
    }
    Status sync() override {
        VELMORA_RETURN_IF_ERROR(m_env.beforeSync());
        m_node->durable = m_node->current;
        return Status::ok();
    }
    Status truncate(uint64_t size) override {
        if (!m_writable)
            return Status::error(err::kReadOnlyDatabase, "'" + m_path + "' is read-only");
        VELMORA_RETURN_IF_ERROR(m_env.beforeWrite());
        m_node->current.resize(size);
        return Status::ok();
    }
    Result<uint64_t> size() override {
        if (m_env.crashed())
            return Status::error(err::kDiskIo, "power is off");
        return uint64_t(m_node->current.size());
    }

private:
    FaultEnv& m_env;
    std::shared_ptr<FaultEnv::Node> m_node;
    std::string m_path;
    bool m_writable;
};

}  // namespace

Status FaultEnv::deadError() const {
    return Status::error(err::kDiskIo, "power is off");
}

Status FaultEnv::beforeWrite() {
    if (m_dead)
        return deadError();
    ++m_writes;
    if (m_failWriteAt > 0 && --m_failWriteAt == 0)
        return Status::error(err::kDiskIo, "injected write failure");
    return Status::ok();
}

Status FaultEnv::beforeSync() {
    if (m_dead)
        return deadError();
    ++m_syncs;
    if (m_crashAtSync > 0 && --m_crashAtSync == 0) {
        crash();
        return deadError();
    }
    if (m_failSyncAt > 0 && --m_failSyncAt == 0)
        return Status::error(err::kDiskIo, "injected sync failure");
    return Status::ok();
}

Status FaultEnv::beforeGrowth(const std::string& path) const {
    if (m_diskFull)
        return Status::error(err::kDiskFull, "write '" + path + "': No space left on device");
    return Status::ok();
}

Result<std::unique_ptr<File>> FaultEnv::open(const std::string& path, OpenMode mode) {
    if (m_dead)
        return deadError();
    auto it = m_files.find(path);
    bool found = it != m_files.end();
    if ((mode == OpenMode::ReadOnly || mode == OpenMode::ReadWrite) && !found)
        return Status::error(err::kFileNotFound, "Could not find file '" + path + "'.");
    if (mode == OpenMode::CreateNew && found)
        return Status::error(err::kDiskIo, "'" + path + "' already exists");
    if (!found)
        it = m_files.emplace(path, std::make_shared<Node>()).first;
    if (mode == OpenMode::CreateOrTrunc) {
        VELMORA_RETURN_IF_ERROR(beforeWrite());
        it->second->current.clear();
    }
    return std::unique_ptr<File>(
        std::make_unique<FaultFile>(*this, it->second, path, mode != OpenMode::ReadOnly));
}

bool FaultEnv::exists(const std::string& path) {
    return m_files.count(path) != 0;
}

Status FaultEnv::remove(const std::string& path) {
    if (m_dead)
        return deadError();
    if (m_files.erase(path) == 0)
        return Status::error(err::kFileNotFound, "Could not find file '" + path + "'.");
    return Status::ok();
}

Status FaultEnv::rename(const std::string& from, const std::string& to) {
    if (m_dead)
        return deadError();
    auto it = m_files.find(from);
    if (it == m_files.end())
        return Status::error(err::kFileNotFound, "Could not find file '" + from + "'.");
    auto node = it->second;
    m_files.erase(it);
    m_files[to] = node;
    return Status::ok();
}

Status FaultEnv::syncFolderOf(const std::string&) {
    VELMORA_RETURN_IF_ERROR(beforeSync());
    m_durableFiles = m_files;
    return Status::ok();
}

bool FaultEnv::isWritable(const std::string&) {
    return true;
}

void FaultEnv::install(const std::string& path, std::vector<uint8_t> bytes) {
    auto node = std::make_shared<Node>();
    node->current = bytes;
    node->durable = std::move(bytes);
    m_files[path] = node;
    m_durableFiles[path] = node;
}

std::vector<uint8_t> FaultEnv::contents(const std::string& path) const {
    auto it = m_files.find(path);
    return it == m_files.end() ? std::vector<uint8_t>{} : it->second->current;
}

void FaultEnv::failWriteAt(int n) {
    m_failWriteAt = n;
}
void FaultEnv::failSyncAt(int n) {
    m_failSyncAt = n;
}
void FaultEnv::crashAtSync(int n) {
    m_crashAtSync = n;
}

void FaultEnv::crash() {
    m_files = m_durableFiles;
    for (auto& [path, node] : m_files)
        node->current = node->durable;
    m_dead = true;
}

}  // namespace velmora::engine::io
