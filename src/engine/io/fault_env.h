// An in-memory Env that fails on request and can lose power.
//
// Every file keeps two images: what a reader sees now, and what would survive a power cut
// (the state at its last sync()). Folder entries behave the same way: creating or removing a
// file becomes durable only with syncFolderOf(). Tests use it to prove the commit protocol:
//   - failWriteAt(n) / failSyncAt(n): the n-th write or sync from now returns an error;
//   - crashAtSync(n): when the n-th sync is requested, the power goes: every file falls back
//     to its durable image, and every later call fails until revive();
//   - crash(): the same, at once;
//   - fillDisk(): the disk is full: every write that would make a file longer fails as a
//     full disk fails it, until fillDisk(false).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/io/file.h"

namespace velmora::engine::io {

class FaultEnv : public Env {
public:
    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode) override;
    bool exists(const std::string& path) override;
    Status remove(const std::string& path) override;
    Status rename(const std::string& from, const std::string& to) override;
    Status syncFolderOf(const std::string& path) override;
    bool isWritable(const std::string& path) override;

    // Puts a file in place, durable as if it had always been there.
    void install(const std::string& path, std::vector<uint8_t> bytes);
    // What a reader sees now (empty when the file does not exist).
    std::vector<uint8_t> contents(const std::string& path) const;

    // 1-based, counted from the call; 0 disarms.
    void failWriteAt(int n);
    void failSyncAt(int n);
    void crashAtSync(int n);
    void crash();
    void fillDisk(bool full = true) { m_diskFull = full; }
    // Power is back: files stay as the crash left them.
    void revive() { m_dead = false; }
    bool crashed() const { return m_dead; }

    int writeCount() const { return m_writes; }
    int syncCount() const { return m_syncs; }

    // Called by the files: counts the operation and decides its fate.
    Status beforeWrite();
    Status beforeSync();
    // A write that makes a file longer: fails while the disk is full.
    Status beforeGrowth(const std::string& path) const;

    struct Node {
        std::vector<uint8_t> current;
        std::vector<uint8_t> durable;
    };

private:
    Status deadError() const;

    std::map<std::string, std::shared_ptr<Node>> m_files;
    std::map<std::string, std::shared_ptr<Node>> m_durableFiles;  // folder entries on disk
    int m_writes = 0;
    int m_syncs = 0;
    int m_failWriteAt = 0;
    int m_failSyncAt = 0;
    int m_crashAtSync = 0;
    bool m_dead = false;
    bool m_diskFull = false;
};

}  // namespace velmora::engine::io
