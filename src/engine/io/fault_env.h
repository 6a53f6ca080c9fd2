// An in-memory Env that fails on request and can lose power.
//
// Every file keeps what a reader sees now, what would survive a power cut (its state at its
// last sync()), and the writes and truncations made since, in order. Folder entries behave
// the same way: making, removing or renaming a file becomes durable only with syncFolderOf()
// of its folder. Tests use it to prove the commit protocol:
//   - failWriteAt(n) / failSyncAt(n) / failReadAt(n): the n-th write, sync or read from now
//     returns an error;
//   - refuseScratch(): openScratch() fails, as on a folder where no file can be made;
//   - crashAtSync(n): when the n-th sync is requested, the power goes before that sync is
//     done: every file falls back to what survives (below), and every later call fails
//     until revive();
//   - crash(): the same, at once;
//   - fillDisk(): the disk is full: every write that would make a file longer fails as a
//     full disk fails it, until fillDisk(false).
//
// What survives a power cut. By default, nothing that was not synced: every file is its
// state at its last sync and every folder its state at its last folder sync. After
// losePowerAtRandom(seed), a power cut is what a disk with 512-byte sectors and a page cache
// may leave, drawn from the seed:
//   - each write not yet synced, on its own: reached the disk whole, never reached it, was
//     torn (each of its sectors reached the disk, did not, or holds garbage), or left
//     garbage in all its sectors. Garbage fills the whole sector, bytes beside the write
//     included, as a sector cut off in the middle of being written does. A write that made
//     the file longer may leave it longer even where its bytes were lost (zeros there), as
//     the file's size is stored apart from its data. Later writes to the same bytes are laid
//     over earlier ones, each with its own fate, so any mixture of old, new and garbage
//     sectors can come out;
//   - each truncation not yet synced happened or did not;
//   - of the folder changes not yet synced, a prefix in the order they were made, from none
//     to all, each one whole: a rename leaves the old name or the new, never both or
//     neither. POSIX promises nothing for them before the folder is synced; the metadata
//     journals of ext4 and NTFS commit them atomically and in order, which is what this
//     models. A file's data and its folder entry are apart: an entry may survive while its
//     file's unsynced data does not, and the other way round.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
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
    // A file in no folder: writes and reads count and fail as any file's; a crash takes it.
    Result<std::unique_ptr<File>> openScratch(const std::string& beside) override;

    // Puts a file in place, durable as if it had always been there.
    void install(const std::string& path, std::vector<uint8_t> bytes);
    // What a reader sees now (empty when the file does not exist).
    std::vector<uint8_t> contents(const std::string& path) const;

    // 1-based, counted from the call; 0 disarms.
    void failWriteAt(int n);
    void failSyncAt(int n);
    void failReadAt(int n) { m_failReadAt = n; }
    void refuseScratch(bool refuse = true) { m_refuseScratch = refuse; }
    void crashAtSync(int n);
    void crash();
    void fillDisk(bool full = true) { m_diskFull = full; }
    // Power is back: files stay as the crash left them.
    void revive() { m_dead = false; }
    bool crashed() const { return m_dead; }
    // Power cuts from now on leave what a real disk may leave, drawn from `seed` (see above).
    void losePowerAtRandom(uint64_t seed) { m_random.emplace(seed); }

    int writeCount() const { return m_writes; }
    int syncCount() const { return m_syncs; }
    int readCount() const { return m_reads; }
    int scratchFilesMade() const { return m_scratchFiles; }

    // Called by the files: counts the operation and decides its fate.
    Status beforeWrite();
    Status beforeSync();
    Status beforeRead();
    // A write that makes a file longer: fails while the disk is full.
    Status beforeGrowth(const std::string& path) const;

    // A write (or, with `truncate`, a cut or extension to `offset` bytes) not yet synced.
    struct Unsynced {
        uint64_t offset = 0;
        std::vector<uint8_t> bytes;
        bool truncate = false;
    };
    struct Node {
        std::vector<uint8_t> current;
        std::vector<uint8_t> durable;
        std::vector<Unsynced> unsynced;  // since the last sync, in order
    };

private:
    // A folder entry made (node set, `added`), removed (`removed`) or both (a rename).
    struct FolderChange {
        std::string removed;
        std::string added;
        std::shared_ptr<Node> node;
    };

    Status deadError() const;
    // Counts one write or read in `count`, and fails it (naming `what`) when `failAt` comes
    // down to it.
    Status countAndInject(int& count, int& failAt, const char* what);
    void applyToDisk(const FolderChange& change);
    // What of the node's unsynced changes a power cut leaves on the disk.
    std::vector<uint8_t> survivingBytes(const Node& node);
    void layOver(std::vector<uint8_t>& image, const Unsynced& write);

    std::map<std::string, std::shared_ptr<Node>> m_files;
    std::map<std::string, std::shared_ptr<Node>> m_durableFiles;  // folder entries on disk
    std::vector<FolderChange> m_folderChanges;                    // not yet synced, in order
    std::optional<std::mt19937_64> m_random;
    int m_writes = 0;
    int m_syncs = 0;
    int m_failWriteAt = 0;
    int m_failSyncAt = 0;
    int m_reads = 0;
    int m_failReadAt = 0;
    int m_scratchFiles = 0;
    bool m_refuseScratch = false;
    int m_crashAtSync = 0;
    bool m_dead = false;
    bool m_diskFull = false;
};

}  // namespace velmora::engine::io
