// Opening for editing, recovery and the atomic commit; see jet_database.h.
#include "engine/jet/jet_database.h"

#include "engine/base/error_text.h"
#include "engine/jet/schema_change.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/base/access_date.h"
#include "engine/base/error_codes.h"
#include "engine/io/journal.h"
#include "engine/io/page_digest.h"
#include "engine/jet/table_writer.h"

namespace velmora::engine::jet {

Result<std::unique_ptr<JetDatabase>> JetDatabase::open(const std::string& path, io::Env& env,
                                                       const OpenOptions& options) {
    // Which format: keys and rows follow the file's version.
    FileKind kind;
    {
        VELMORA_ASSIGN_OR_RETURN(auto probe, env.open(path, io::OpenMode::ReadOnly));
        VELMORA_ASSIGN_OR_RETURN(uint64_t size, probe->size());
        std::vector<uint8_t> start(size_t(std::min<uint64_t>(size, 0x100)));
        if (!start.empty())
            VELMORA_RETURN_IF_ERROR(probe->read(0, start));
        kind = identifyFile(start);
    }
    std::unique_ptr<JetDatabase> db(
        new JetDatabase(kind == FileKind::Jet3 ? KeyFormat::Jet3 : KeyFormat::Jet4));
    db->m_path = path;
    db->m_env = &env;
    db->m_commitImageBudget = options.commitImageBudget;

    bool lockedOut = false;
    if (options.readOnly) {
        db->m_readOnlyReason = "the database was opened read-only";
    } else if (!env.isWritable(path)) {
        db->m_readOnlyReason = "the file or its folder cannot be written";
    } else if (options.useOsLocks) {
        auto lock = io::DatabaseLock::acquire(path, options.userName);
        if (lock.isOk()) {
            db->m_lock = std::move(lock).value();
        } else {
            db->m_readOnlyReason = lock.status().message();
            lockedOut = lock.status().code() == err::kFileLocked;
        }
    }
    bool writable = db->m_readOnlyReason.empty();

    std::string journal = io::RollbackJournal::pathFor(path);
    VELMORA_ASSIGN_OR_RETURN(
        auto file, env.open(path, writable ? io::OpenMode::ReadWrite : io::OpenMode::ReadOnly));
    if (env.exists(journal)) {
        if (writable) {
            VELMORA_ASSIGN_OR_RETURN(db->m_recovered,
                                     io::RollbackJournal::recover(env, journal, *file));
        } else if (!lockedOut) {
            // Without the right to write we cannot roll back, and the file may be half
            // written: refuse rather than show a mixture. A disarmed journal (another handle's,
            // kept for its next commit) plays back nothing, nor does one whose commit the file
            // holds whole: the file is whole.
            VELMORA_ASSIGN_OR_RETURN(const bool interrupted,
                                     io::RollbackJournal::playsBack(env, journal, *file));
            if (interrupted)
                return Status::error(err::kNotADatabase,
                                     "'" + path +
                                         "' has an interrupted change that must be rolled "
                                         "back, but it cannot be written (" +
                                         db->m_readOnlyReason + ")");
        }
        // Locked out: the holder is in the middle of its own commit; read what is there.
    }
    VELMORA_ASSIGN_OR_RETURN(db->m_reader, JetStorage::open(std::move(file), path));
    db->m_rules.setCodePage(db->m_reader->header().codePage);
    return db;
}

Status JetDatabase::commit(const Changes& changes) {
    if (!m_readOnlyReason.empty()) {
        return jetError(err::kReadOnlyDatabase, m_readOnlyReason);
    }
    if (changes.changed.empty() && changes.dropped.empty())
        return Status::ok();
    VELMORA_RETURN_IF_ERROR(checkStillWritable());
    return writeCommit(changes);
}

Status JetDatabase::checkStillWritable() const {
    // The open handle would still write after the file was moved away, removed or marked
    // read-only while we had it open: the user would lose the change with the file they no
    // longer see, or find a file they protected changed. Checked before anything is written.
    if (!m_env->exists(m_path)) {
        return namedJetError(err::kFileNotFound, m_path, "It was moved or removed.");
    }
    if (!m_env->isWritable(m_path)) {
        return jetError(err::kReadOnlyDatabase,
                        "'" + m_path + "' (or its folder) was made read-only.");
    }
    return Status::ok();
}

Status JetDatabase::prepareNewTable(store::TableSchema& schema) const {
    if (!m_reader->format().isJet4()) {
        // Text sizes come as Jet 4 stores them, two bytes a character; a Jet 3 column holds
        // one byte a character, in the file's code page. The sort version word is the same
        // in every column of a file: take the catalog's.
        uint8_t sortVersion = 1;
        auto catalog = m_reader->tableDefinition("MSysObjects");
        if (catalog.isOk() && !catalog->schema.columns.empty())
            sortVersion = catalog->schema.columns.front().sortVersion;
        for (store::ColumnDef& c : schema.columns) {
            c.sortVersion = sortVersion;
            if (c.type == store::ColumnType::Text)
                c.length = uint16_t(c.length == 0 ? 255 : std::max(1, c.length / 2));
            c.codePage = m_reader->header().codePage;
        }
    }
    return prepareNewTableSchema(schema, m_reader->format());
}

Status JetDatabase::writeCommit(const Changes& changes) {
    io::Pager& pager = m_reader->pager();
    io::File& file = pager.file();
    const uint32_t pageSize = pager.pageSize();

    // Plan every page image before anything is written.
    VELMORA_ASSIGN_OR_RETURN(UsageMap global, m_reader->globalUsageMap());
    PageAllocator allocator = PageAllocator::forGlobalMap(pager.pageCount(), global);
    // The images wait in memory, and past its budget in a scratch file (commit_pages.h), until
    // the journal is synced.
    CommitPages pages(pageSize, m_env, m_path, m_commitImageBudget);
    // Created, deleted and redesigned tables first (schema_change.h); the rest in place.
    std::vector<store::Table*> inPlace;
    VELMORA_RETURN_IF_ERROR(writeSchemaChanges(
        *m_reader, changes, accessDateOfLocalTime(m_env->now()), allocator, pages, inPlace));
    std::vector<RowPlaces> placed(inPlace.size());
    for (size_t i = 0; i < inPlace.size(); ++i)
        VELMORA_RETURN_IF_ERROR(writeTable(*m_reader, *inPlace[i], allocator, pages, placed[i]));
    VELMORA_RETURN_IF_ERROR(writeGlobalMap(*m_reader, allocator, pages));

    // Invariant 2: the journal first. Pages past the end are cut off by a rollback; pages the
    // old state marks free hold nothing it reads, so their old bytes need not come back, but
    // an observer is given them too, and takes them from the journal with the others.
    VELMORA_ASSIGN_OR_RETURN(uint64_t oldSize, file.size());
    std::vector<uint32_t> journalled;
    for (const uint32_t number : pages.pageNumbers()) {
        if (uint64_t(number + 1) * pageSize <= oldSize &&
            (hasCommitObserver() || !allocator.wasFree(number)))
            journalled.push_back(number);
    }
    // The old images go from the file straight into the journal, read as the pages are
    // written below, in runs of consecutive numbers of a bounded size (the journal's pieces):
    // a commit that changes a whole table reads its old pages in a few reads, through one
    // small buffer.
    constexpr uint32_t kPagesPerWrite = uint32_t(io::RollbackJournal::kPagesPerWrite);
    std::vector<uint8_t> oldRun;
    size_t runFirst = 0, runPages = 0;  // journalled[runFirst, runFirst + runPages) in oldRun
    const std::string journal = io::RollbackJournal::pathFor(m_path);
    VELMORA_RETURN_IF_ERROR(writeJournal(
        journal, oldSize, pages.fileAfter(oldSize), journalled.size(),
        [&](size_t k, uint32_t& number, MutableBytes bytes) -> Status {
            number = journalled[k];
            if (k < runFirst || k >= runFirst + runPages) {
                size_t n = 1;
                while (k + n < journalled.size() && n < kPagesPerWrite &&
                       journalled[k + n] == number + n)
                    ++n;
                oldRun.resize(n * pageSize);
                VELMORA_RETURN_IF_ERROR(file.read(uint64_t(number) * pageSize, oldRun));
                runFirst = k;
                runPages = n;
            }
            std::copy_n(oldRun.begin() + long((k - runFirst) * pageSize), pageSize, bytes.begin());
            return Status::ok();
        }));
    oldRun = {};

    // Invariant 3: the pages, in runs of consecutive numbers, then one sync. A run is written
    // in pieces of a bounded size, so that a rewritten table is not held a second time as one
    // copy of all its pages. An image that cannot be read back from the scratch file fails the
    // commit here, and invariant 6 rolls back what was written.
    auto writeAll = [&]() -> Status {
        VELMORA_RETURN_IF_ERROR(
            pages.forEachRun(kPagesPerWrite, [&](uint32_t first, Bytes run) -> Status {
                return file.write(uint64_t(first) * pageSize, run);
            }));
        return file.sync();
    };
    Status written = writeAll();
    const bool observed = written.isOk() && hasCommitObserver();
    if (observed)
        tellObserverWritten(pages, journalled, journal, oldSize);
    // Invariant 4: past the commit point, the journal is disarmed.
    if (written.isOk())
        written = disarmJournal(journal);
    if (observed && m_commitObserver.settled)
        m_commitObserver.settled(written.isOk());
    if (!written.isOk())
        return abandonWrite(written, journal);
    // The tables learn where this commit put their rows, so that the next one finds them.
    for (size_t i = 0; i < inPlace.size(); ++i)
        inPlace[i]->setPlaces(placed[i].rows, placed[i].whole);
    placed.clear();
    pages = CommitPages(pageSize);  // the images, and the scratch file, go before the reload
    pager.clear();
    VELMORA_RETURN_IF_ERROR(pager.refreshSize());
    if (!changes.created.empty() || !changes.dropped.empty())
        return m_reader->reloadCatalog();
    return Status::ok();
}

void JetDatabase::tellObserverWritten(const CommitPages& pages,
                                      const std::vector<uint32_t>& journalled,
                                      const std::string& journal, uint64_t sizeBefore) {
    CommitImages told;
    told.pageSize = m_reader->pager().pageSize();
    told.sizeBefore = sizeBefore;
    told.pageCount = pages.size();
    // The pages are written, so the file's size is the new one.
    Result<uint64_t> sizeAfter = m_reader->pager().file().size();
    told.forEachPage = [&](const CommitImages::PageVisitor& visit) -> Status {
        VELMORA_RETURN_IF_ERROR(sizeAfter.status());
        // The journal holds the pages inside the old file in page order; the others lie past
        // its old end and had no bytes before. The images after come from the commit's pages,
        // a spilled one read back from the scratch file.
        const std::vector<uint32_t> numbers = pages.pageNumbers();
        auto next = numbers.begin();
        std::vector<uint8_t> after;
        auto visitNext = [&](Bytes before) -> Status {
            VELMORA_RETURN_IF_ERROR(pages.find(*next, after).status());
            return visit(*next++, before, after);
        };
        size_t k = 0;
        VELMORA_RETURN_IF_ERROR(io::RollbackJournal::readPages(
            *m_env, journal, [&](uint32_t number, Bytes before) -> Status {
                if (k >= journalled.size() || journalled[k++] != number)
                    return Status::error(err::kNotADatabase,
                                         "the journal '" + journal + "' is not this commit's");
                while (*next != number)
                    VELMORA_RETURN_IF_ERROR(visitNext({}));
                return visitNext(before);
            }));
        if (k != journalled.size())
            return Status::error(err::kNotADatabase,
                                 "the journal '" + journal + "' is not this commit's");
        while (next != numbers.end())
            VELMORA_RETURN_IF_ERROR(visitNext({}));
        return Status::ok();
    };
    if (sizeAfter.isOk())
        told.sizeAfter = *sizeAfter;
    m_commitObserver.written(told);
}

JetDatabase::~JetDatabase() {
    // The disarmed journal of the last commit goes; one that a failed removal or a power cut
    // leaves behind plays back nothing, and the next open removes it. A journal a failed commit
    // could not roll back stays for the next open (invariant 6), as does any journal that is
    // not a disarmed one.
    if (m_journalKept)
        (void)io::RollbackJournal::removeDisarmed(*m_env, io::RollbackJournal::pathFor(m_path));
}

Status JetDatabase::writeJournal(const std::string& journal, uint64_t oldSize,
                                 const io::FileAfterCommit& after, size_t count,
                                 const io::RollbackJournal::PageSource& source) {
    const auto place =
        m_journalKept ? io::RollbackJournal::Place::OverDisarmed : io::RollbackJournal::Place::New;
    // Until the commit point the journal may be one that must play back.
    m_journalKept = false;
    return io::RollbackJournal::write(*m_env, journal, m_reader->pager().pageSize(), oldSize, count,
                                      source, place, after);
}

Status JetDatabase::disarmJournal(const std::string& journal) {
    VELMORA_RETURN_IF_ERROR(io::RollbackJournal::disarm(*m_env, journal));
    m_journalKept = true;
    return Status::ok();
}

Status JetDatabase::abandonWrite(const Status& failure, const std::string& journal) {
    io::Pager& pager = m_reader->pager();
    // Invariant 6: undo now, or leave the journal for the next open.
    // Every new image may be in the file without having been synced: roll back whatever the
    // file holds.
    Result<bool> undone = io::RollbackJournal::recover(*m_env, journal, pager.file(),
                                                       io::RollbackJournal::Rollback::Always);
    if (!undone.isOk()) {
        m_readOnlyReason =
            "a commit failed and could not be rolled back; reopen the "
            "database to recover it";
    }
    pager.clear();
    (void)pager.refreshSize();
    return failure.withContext("the changes were not saved: ");
}

Status JetDatabase::writePages(std::span<const PageBytes> pages, uint64_t size) {
    if (!m_readOnlyReason.empty())
        return jetError(err::kReadOnlyDatabase, m_readOnlyReason);
    VELMORA_RETURN_IF_ERROR(checkStillWritable());
    io::Pager& pager = m_reader->pager();
    io::File& file = pager.file();
    const uint32_t pageSize = pager.pageSize();
    for (const PageBytes& p : pages) {
        if (p.bytes.size() != pageSize)
            return Status::error(err::kInvalidArgument, "a page image of the wrong size");
    }

    // Invariant 2, for writes that may touch any page: every page overwritten inside the file
    // and every page the new size cuts off.
    VELMORA_ASSIGN_OR_RETURN(const uint64_t oldSize, file.size());
    const uint64_t wholePages = oldSize / pageSize;
    std::set<uint32_t> saved;
    for (const PageBytes& p : pages) {
        if (p.number < wholePages)
            saved.insert(p.number);
    }
    for (uint64_t n = (size + pageSize - 1) / pageSize; n < wholePages; ++n)
        saved.insert(uint32_t(n));
    const std::vector<uint32_t> numbers(saved.begin(), saved.end());
    // The pages the new size keeps tell the commit whole; one cut off again by it holds nothing.
    io::FileAfterCommit after{size, {}};
    for (const PageBytes& p : pages) {
        if ((uint64_t(p.number) + 1) * pageSize <= size)
            after.pages.push_back({p.number, io::quickPageHash(p.number, p.bytes)});
    }
    const std::string journal = io::RollbackJournal::pathFor(m_path);
    VELMORA_RETURN_IF_ERROR(writeJournal(journal, oldSize, after, numbers.size(),
                                         [&](size_t k, uint32_t& number, MutableBytes bytes) {
                                             number = numbers[k];
                                             return file.read(uint64_t(number) * pageSize, bytes);
                                         }));

    // Invariant 3, then the commit point.
    auto writeAll = [&]() -> Status {
        for (const PageBytes& p : pages)
            VELMORA_RETURN_IF_ERROR(file.write(uint64_t(p.number) * pageSize, p.bytes));
        VELMORA_ASSIGN_OR_RETURN(const uint64_t written, file.size());
        if (written != size)
            VELMORA_RETURN_IF_ERROR(file.truncate(size));
        return file.sync();
    };
    Status written = writeAll();
    if (written.isOk())
        written = disarmJournal(journal);
    if (!written.isOk())
        return abandonWrite(written, journal);
    return m_reader->reloadAfterPagesWritten();
}

Result<uint64_t> JetDatabase::fileDigest(io::PageHash hash) {
    io::Pager& pager = m_reader->pager();
    return io::fileDigest(pager.file(), pager.pageSize(), hash);
}

Result<std::unique_ptr<store::Database>> openStoreDatabase(const std::string& path, io::Env& env,
                                                           const OpenOptions& options) {
    VELMORA_ASSIGN_OR_RETURN(std::unique_ptr<JetDatabase> db,
                             JetDatabase::open(path, env, options));
    return std::make_unique<store::Database>(std::move(db));
}

}  // namespace velmora::engine::jet
