// A Jet file opened for editing: the reader's JetStorage plus locking, recovery and the
// atomic commit.
//
// Commit protocol. A commit turns the changed tables into page images (table_writer.h) and
// then keeps these invariants:
//   1. Every page a commit writes is either free in the file's current state (or past its
//      end), or a page whose change the commit needs in place: the data pages of the rows it
//      changes (table_patch.h) and the LVAL pages of the long values they add or give up
//      (long_value_patch.h), the pages of indexes whose entries change, table definitions,
//      index roots, usage map host pages and the map pages of reference usage maps, page 1.
//      Nothing the current state uses is written before step 3.
//   2. Before the first byte of the database changes, the rollback journal
//      ("<file>-journal") holds the current image of every page the commit will write that
//      lies inside the file and is in use (free pages hold nothing the old state reads), the
//      file's current size, and the file as the commit leaves it: its size and a hash of the
//      new image of every page written (io/journal.h); the journal and its folder entry are
//      synced.
//   3. Then all page images are written, and the database file is synced.
//   4. That sync is the commit point. Until it is done a crash leaves a complete journal
//      whose commit the file does not hold whole, and the next open rolls the file back to
//      exactly its old size and the old bytes of every page in use; a journal that was never
//      completely written is discarded, because the database was not touched yet, and one
//      whose commit the file holds whole is discarded too, because the commit holds. The
//      commit then disarms the journal (zeros over its header, not synced: lost, they leave a
//      journal of a whole commit). The disarmed journal stays beside the file, and the
//      handle's next commit writes over it in place (its folder entry is durable already, so
//      invariant 2 needs no folder sync then); closing the handle removes it. A commit whose
//      journal cannot be disarmed rolls back (invariant 6): an armed journal left beside the
//      file would play back over a change another program makes before the next open.
//   5. Recovery runs on open, under the write lock, before anything of the file is read.
//   6. A failed commit (an I/O error) rolls back at once from the journal it just wrote; if
//      even that fails, the journal stays for the next open and this handle refuses to
//      write again.
// Page 0 and the commit-byte area are never written. Until step 3 the new images wait in
// memory and, past a budget, in a scratch file that is no part of the database and that no
// open reads (commit_pages.h).
//
// Page images. An observer set with setCommitObserver() is told of every commit in two
// steps. Once the page images are in the file and synced, and before the journal is disarmed,
// written() is handed each page the commit wrote with the bytes it held before (also for
// pages that were free) and the bytes it holds now, and the file's sizes. The images before
// are read back from the journal, which for an observer also holds the old bytes of the free
// pages the commit takes (a rollback putting them back changes nothing the old state reads):
// no commit holds its old images in memory. settled() then says whether the commit holds
// (its journal disarmed) or was rolled back, so that an observer keeps the images of commits
// that happened only. The observer reads and writes nothing of the database; a crash while it
// runs leaves the commit whole (invariant 4) and the observer without its images, which the
// undo history's digests tell. writePages() puts such images
// back as a commit of its own, keeping invariants 2 to 6: since it may overwrite any page,
// the journal holds the current image of every page it overwrites inside the file and of
// every page its new size cuts off; it reports to no observer. A program takes a command
// back, and does it again, this way.
//
// Read-only opening. The file opens read-only, with the reason in readOnlyReason(), when the
// file or its folder is not writable, or when another program holds it (a lock on the .mdb
// or a live user lock in its .ldb); every commit is then refused with 3027 and nothing is
// written to the file. Jet 3 and Jet 4 files are both written, each in its own layout.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/database_lock.h"
#include "engine/io/file.h"
#include "engine/io/journal.h"
#include "engine/io/page_digest.h"
#include "engine/jet/commit_pages.h"
#include "engine/jet/index_key.h"
#include "engine/jet/jet_storage.h"
#include "engine/store/database.h"

namespace velmora::engine::jet {

// The page images of one commit, as an observer is handed them (see "Page images" above).
struct CommitImages {
    uint32_t pageSize = 0;
    uint64_t sizeBefore = 0;
    uint64_t sizeAfter = 0;
    size_t pageCount = 0;
    // One page: its bytes before (empty for a page past the file's old end) and after, both
    // valid during the call only.
    using PageVisitor = std::function<Status(uint32_t number, Bytes before, Bytes after)>;
    // Visits the pages in page order; fails when the journal cannot be read.
    std::function<Status(const PageVisitor&)> forEachPage;
};

struct CommitObserver {
    std::function<void(const CommitImages&)> written;
    std::function<void(bool committed)> settled;
};

// A whole page to write; `bytes` is one page long.
struct PageBytes {
    uint32_t number = 0;
    std::span<const uint8_t> bytes;
};

struct OpenOptions {
    bool readOnly = false;   // never write, even when we could
    bool useOsLocks = true;  // real files: the .mdb lock and the .ldb (POSIX Env only)
    std::string userName = "Admin";
    // Bytes of new page images a commit holds in memory; past them it keeps them in a scratch
    // file until it writes them (commit_pages.h).
    size_t commitImageBudget = CommitPages::kDefaultBudget;
};

class JetDatabase : public store::TableStorage {
public:
    static Result<std::unique_ptr<JetDatabase>> open(const std::string& path, io::Env& env,
                                                     const OpenOptions& options = {});
    ~JetDatabase() override;
    JetDatabase(const JetDatabase&) = delete;
    JetDatabase& operator=(const JetDatabase&) = delete;

    std::vector<store::TableInfo> listTables() override { return m_reader->listTables(); }
    Result<std::unique_ptr<store::Table>> loadTable(const std::string& name) override {
        return m_reader->loadTable(name);
    }
    Result<std::unique_ptr<store::Table>> loadColumns(const std::string& name,
                                                      const ColumnChoice& choose) override {
        return m_reader->loadColumns(name, choose);
    }
    Status readUnreadColumns(store::Table& table) override {
        return m_reader->readUnreadColumns(table);
    }
    Status commit(const Changes& changes) override;
    std::string readOnlyReason() const override { return m_readOnlyReason; }
    const store::RowRules& rowRules() const override { return m_rules; }
    Status prepareNewTable(store::TableSchema& schema) const override;

    // Told of every commit (see "Page images" above); empty functions stop it.
    void setCommitObserver(CommitObserver observer) { m_commitObserver = std::move(observer); }
    bool hasCommitObserver() const { return bool(m_commitObserver.written); }
    // Writes whole pages and sets the file's size as one atomic commit, then reads the file's
    // catalog again; the tables of store::Database must be loaded anew afterwards. Refused
    // with 3027 on a read-only database.
    Status writePages(std::span<const PageBytes> pages, uint64_t size);
    // The digest of the file as it is now, by `hash` (io/page_digest.h).
    Result<uint64_t> fileDigest(io::PageHash hash = io::quickPageHash);

    // Whether the last open rolled back an interrupted commit.
    bool recoveredOnOpen() const { return m_recovered; }
    JetStorage& reader() { return *m_reader; }
    const std::string& path() const { return m_path; }

private:
    JetDatabase(KeyFormat format) : m_rules(format) {}
    Status writeCommit(const Changes& changes);
    // Hands the observer the images of a commit whose pages are written and synced, before
    // its commit point: `journalled` the pages of the journal, in page order.
    void tellObserverWritten(const CommitPages& pages, const std::vector<uint32_t>& journalled,
                             const std::string& journal, uint64_t sizeBefore);
    // Refuses a write to a file that was moved away or made read-only while open.
    Status checkStillWritable() const;
    // After a failed write: rolls back from the journal (invariant 6).
    Status abandonWrite(const Status& failure, const std::string& journal);
    // Writes the journal of a commit (invariant 2), over the disarmed one of the last commit
    // when there is one, and disarms it past the commit point (invariant 4).
    Status writeJournal(const std::string& journal, uint64_t oldSize,
                        const io::FileAfterCommit& after, size_t count,
                        const io::RollbackJournal::PageSource& source);
    Status disarmJournal(const std::string& journal);

    std::string m_path;
    io::Env* m_env = nullptr;
    std::unique_ptr<io::DatabaseLock> m_lock;
    std::unique_ptr<JetStorage> m_reader;
    std::string m_readOnlyReason;
    JetRowRules m_rules;
    bool m_recovered = false;
    size_t m_commitImageBudget = CommitPages::kDefaultBudget;
    // A disarmed journal this handle made, its folder entry synced, lies beside the file.
    bool m_journalKept = false;
    CommitObserver m_commitObserver;
};

// Opens a database for the layers above: a JetDatabase behind store::Database.
Result<std::unique_ptr<store::Database>> openStoreDatabase(const std::string& path, io::Env& env,
                                                           const OpenOptions& options = {});

}  // namespace velmora::engine::jet
