// The fault-injecting Env; see fault_env.h.
#include "engine/io/fault_env.h"

#include <algorithm>
#include <set>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"

namespace velmora::engine::io {
namespace {

constexpr uint64_t kSectorSize = 512;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class FaultFile final : public File {
public:
    FaultFile(FaultEnv& env, std::shared_ptr<FaultEnv::Node> node, std::string path, bool writable)
        : m_env(env), m_node(std::move(node)), m_path(std::move(path)), m_writable(writable) {}

    Status read(uint64_t offset, std::span<uint8_t> out) override {
        VELMORA_RETURN_IF_ERROR(m_env.beforeRead());
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
        m_node->unsynced.push_back({offset, {data.begin(), data.end()}, false});
        return Status::ok();
    }
    Status sync() override {
        VELMORA_RETURN_IF_ERROR(m_env.beforeSync());
        m_node->durable = m_node->current;
        m_node->unsynced.clear();
        return Status::ok();
    }
    Status truncate(uint64_t size) override {
        if (!m_writable)
            return Status::error(err::kReadOnlyDatabase, "'" + m_path + "' is read-only");
        VELMORA_RETURN_IF_ERROR(m_env.beforeWrite());
        m_node->current.resize(size);
        m_node->unsynced.push_back({size, {}, true});
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

Status FaultEnv::countAndInject(int& count, int& failAt, const char* what) {
    if (m_dead)
        return deadError();
    ++count;
    if (failAt > 0 && --failAt == 0)
        return Status::error(err::kDiskIo, std::string("injected ") + what + " failure");
    return Status::ok();
}

Status FaultEnv::beforeWrite() {
    return countAndInject(m_writes, m_failWriteAt, "write");
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

Status FaultEnv::beforeRead() {
    return countAndInject(m_reads, m_failReadAt, "read");
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
        return namedJetError(err::kFileNotFound, path);
    if (mode == OpenMode::CreateNew && found)
        return Status::error(err::kDiskIo, "'" + path + "' already exists");
    if (!found) {
        it = m_files.emplace(path, std::make_shared<Node>()).first;
        m_folderChanges.push_back({"", path, it->second});
    }
    if (mode == OpenMode::CreateOrTrunc) {
        VELMORA_RETURN_IF_ERROR(beforeWrite());
        it->second->current.clear();
        it->second->unsynced.push_back({0, {}, true});
    }
    return std::unique_ptr<File>(
        std::make_unique<FaultFile>(*this, it->second, path, mode != OpenMode::ReadOnly));
}

Result<std::unique_ptr<File>> FaultEnv::openScratch(const std::string& beside) {
    if (m_dead)
        return deadError();
    if (m_refuseScratch)
        return Status::error(err::kNotPermitted,
                             "no scratch file may be made beside '" + beside + "'");
    ++m_scratchFiles;
    return std::unique_ptr<File>(
        std::make_unique<FaultFile>(*this, std::make_shared<Node>(), beside + " (scratch)", true));
}

bool FaultEnv::exists(const std::string& path) {
    return m_files.count(path) != 0;
}

Status FaultEnv::remove(const std::string& path) {
    if (m_dead)
        return deadError();
    if (m_files.erase(path) == 0)
        return namedJetError(err::kFileNotFound, path);
    m_folderChanges.push_back({path, "", nullptr});
    return Status::ok();
}

Status FaultEnv::rename(const std::string& from, const std::string& to) {
    if (m_dead)
        return deadError();
    auto it = m_files.find(from);
    if (it == m_files.end())
        return namedJetError(err::kFileNotFound, from);
    auto node = it->second;
    m_files.erase(it);
    m_files[to] = node;
    m_folderChanges.push_back({from, to, node});
    return Status::ok();
}

void FaultEnv::applyToDisk(const FolderChange& change) {
    if (!change.removed.empty())
        m_durableFiles.erase(change.removed);
    if (!change.added.empty())
        m_durableFiles[change.added] = change.node;
}

Status FaultEnv::syncFolderOf(const std::string& path) {
    VELMORA_RETURN_IF_ERROR(beforeSync());
    const std::string folder = folderOf(path);
    auto inFolder = [&](const FolderChange& c) {
        return (!c.removed.empty() && folderOf(c.removed) == folder) ||
               (!c.added.empty() && folderOf(c.added) == folder);
    };
    for (const FolderChange& c : m_folderChanges) {
        if (inFolder(c))
            applyToDisk(c);
    }
    std::erase_if(m_folderChanges, inFolder);
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

void FaultEnv::layOver(std::vector<uint8_t>& image, const Unsynced& write) {
    std::mt19937_64& random = *m_random;
    const uint64_t end = write.offset + write.bytes.size();
    enum Fate { kReached, kLost, kGarbage };
    // Whole, lost, torn, garbage: 3 in 10, 3 in 10, 1 in 4, the rest.
    const uint64_t draw = random() % 20;
    auto fateOfSector = [&]() -> Fate {
        if (draw < 6)
            return kReached;
        if (draw < 12)
            return kLost;
        if (draw < 17)
            return Fate(random() % 3);
        return kGarbage;
    };
    // A file made longer may keep its new size though its bytes were lost.
    if (end > image.size() && (draw >= 12 || (draw >= 6 && random() % 2 == 0)))
        image.resize(end);
    for (uint64_t sector = write.offset / kSectorSize; sector * kSectorSize < end; ++sector) {
        const uint64_t from = std::max(write.offset, sector * kSectorSize);
        const uint64_t to = std::min(end, (sector + 1) * kSectorSize);
        switch (fateOfSector()) {
            case kReached:
                if (to > image.size())
                    image.resize(to);
                std::copy(write.bytes.begin() + std::ptrdiff_t(from - write.offset),
                          write.bytes.begin() + std::ptrdiff_t(to - write.offset),
                          image.begin() + std::ptrdiff_t(from));
                break;
            case kLost:
                break;
            case kGarbage: {
                if (to > image.size())
                    image.resize(to);
                const uint64_t last = std::min<uint64_t>(image.size(), (sector + 1) * kSectorSize);
                for (uint64_t b = sector * kSectorSize; b < last; ++b)
                    image[b] = uint8_t(random());
                break;
            }
        }
    }
}

std::vector<uint8_t> FaultEnv::survivingBytes(const Node& node) {
    if (!m_random)
        return node.durable;
    std::vector<uint8_t> image = node.durable;
    for (const Unsynced& change : node.unsynced) {
        if (!change.truncate)
            layOver(image, change);
        else if ((*m_random)() % 2 == 0)
            image.resize(change.offset);
    }
    return image;
}

void FaultEnv::crash() {
    std::set<Node*> seen;
    auto settle = [&](const std::shared_ptr<Node>& node) {
        if (!node || !seen.insert(node.get()).second)
            return;
        node->durable = survivingBytes(*node);
        node->current = node->durable;
        node->unsynced.clear();
    };
    for (auto& [path, node] : m_files)
        settle(node);
    for (auto& [path, node] : m_durableFiles)
        settle(node);
    for (const FolderChange& c : m_folderChanges)
        settle(c.node);
    if (m_random) {
        const auto kept = size_t((*m_random)() % (m_folderChanges.size() + 1));
        for (size_t i = 0; i < kept; ++i)
            applyToDisk(m_folderChanges[i]);
    }
    m_folderChanges.clear();
    m_files = m_durableFiles;
    m_dead = true;
}

}  // namespace velmora::engine::io
