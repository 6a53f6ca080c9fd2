#include "engine/io/memory_env.h"

#include <algorithm>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"

namespace velmora::engine::io {
namespace {

class MemoryFile final : public File {
public:
    MemoryFile(std::shared_ptr<std::vector<uint8_t>> bytes, std::string path, bool writable)
        : m_bytes(std::move(bytes)), m_path(std::move(path)), m_writable(writable) {}

    Status read(uint64_t offset, std::span<uint8_t> out) override {
        if (offset + out.size() > m_bytes->size()) {
            return Status::error(err::kNotADatabase, "unexpected end of file '" + m_path +
                                                         "' at byte " + std::to_string(offset));
        }
        std::copy_n(m_bytes->begin() + std::ptrdiff_t(offset), out.size(), out.begin());
        return Status::ok();
    }
    Status write(uint64_t offset, std::span<const uint8_t> data) override {
        if (!m_writable)
            return Status::error(err::kReadOnlyDatabase, "'" + m_path + "' is read-only");
        if (offset + data.size() > m_bytes->size())
            m_bytes->resize(offset + data.size());
        std::copy(data.begin(), data.end(), m_bytes->begin() + std::ptrdiff_t(offset));
        return Status::ok();
    }
    Status sync() override { return Status::ok(); }
    Status truncate(uint64_t size) override {
        if (!m_writable)
            return Status::error(err::kReadOnlyDatabase, "'" + m_path + "' is read-only");
        m_bytes->resize(size);
        return Status::ok();
    }
    Result<uint64_t> size() override { return uint64_t(m_bytes->size()); }

private:
    std::shared_ptr<std::vector<uint8_t>> m_bytes;
    std::string m_path;
    bool m_writable;
};

}  // namespace

Result<std::unique_ptr<File>> MemoryEnv::open(const std::string& path, OpenMode mode) {
    auto it = m_files.find(path);
    bool found = it != m_files.end();
    if ((mode == OpenMode::ReadOnly || mode == OpenMode::ReadWrite) && !found) {
        return namedJetError(err::kFileNotFound, path);
    }
    if (mode == OpenMode::CreateNew && found) {
        return Status::error(err::kDiskIo, "'" + path + "' already exists");
    }
    if (!found)
        it = m_files.emplace(path, std::make_shared<Node>()).first;
    auto node = it->second;
    if (mode != OpenMode::ReadOnly && node->readOnly) {
        return Status::error(err::kNotPermitted, "'" + path + "' is read-only");
    }
    if (mode == OpenMode::CreateOrTrunc)
        node->bytes.clear();
    // Alias the node's byte vector while keeping the node alive.
    std::shared_ptr<std::vector<uint8_t>> bytes(node, &node->bytes);
    return std::unique_ptr<File>(
        std::make_unique<MemoryFile>(bytes, path, mode != OpenMode::ReadOnly));
}

bool MemoryEnv::exists(const std::string& path) {
    return m_files.count(path) != 0;
}

Status MemoryEnv::remove(const std::string& path) {
    if (m_files.erase(path) == 0) {
        return namedJetError(err::kFileNotFound, path);
    }
    return Status::ok();
}

Status MemoryEnv::rename(const std::string& from, const std::string& to) {
    auto it = m_files.find(from);
    if (it == m_files.end()) {
        return namedJetError(err::kFileNotFound, from);
    }
    auto node = it->second;
    m_files.erase(it);
    m_files[to] = node;
    return Status::ok();
}

bool MemoryEnv::isWritable(const std::string& path) {
    auto it = m_files.find(path);
    return it == m_files.end() || !it->second->readOnly;
}

Result<std::unique_ptr<File>> MemoryEnv::openScratch(const std::string& beside) {
    return std::unique_ptr<File>(std::make_unique<MemoryFile>(
        std::make_shared<std::vector<uint8_t>>(), beside + " (scratch)", true));
}

std::vector<uint8_t>& MemoryEnv::contents(const std::string& path) {
    auto& node = m_files[path];
    if (!node)
        node = std::make_shared<Node>();
    return node->bytes;
}

void MemoryEnv::setReadOnly(const std::string& path, bool readOnly) {
    contents(path);
    m_files[path]->readOnly = readOnly;
}

}  // namespace velmora::engine::io
