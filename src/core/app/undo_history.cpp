#include "core/app/undo_history.h"

#include <sstream>
#include <utility>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/dao/database.h"
#include "engine/io/file_bytes.h"
#include "engine/io/page_digest.h"
#include "engine/jet/jet_database.h"
#include "engine/store/database.h"

namespace velmora::core::app {

namespace {

using engine::Status;

constexpr char kIndexHeader[] = "velmora-undo 2";
constexpr char kFirstIndexHeader[] = "velmora-undo 1";  // digests by pageHash
// A step file: the magic, the page size and the page count, then per page its number, a flag
// (1: its bytes before follow) and the bytes before and after, one page each.
constexpr uint8_t kStepMagic[8] = {'V', 'U', 'N', 'D', 'O', '1', 0, 0};
constexpr size_t kStepHeader = 16;
constexpr size_t kPageHeader = 5;

engine::jet::JetDatabase* jetFileOf(engine::dao::Database& db) {
    return dynamic_cast<engine::jet::JetDatabase*>(&db.store().storage());
}

Status damagedStep(const std::string& path) {
    return Status::error(engine::err::kNotADatabase, "the undo step '" + path + "' is damaged");
}

// The digest of the file once a step's pages are written over it: forward its pages after over
// its pages before, or back the other way. A page with nothing before lies past the file's end
// on the step's near side.
template <class Pages>
uint64_t digestMoved(uint64_t digest, const Pages& pages, bool forward, engine::io::PageHash hash) {
    for (const auto& [number, page] : pages) {
        const uint64_t before = page.before.empty() ? 0 : hash(number, page.before);
        const uint64_t after = hash(number, page.after);
        digest += forward ? after - before : before - after;
    }
    return digest;
}

}  // namespace

// Whether the step's pages carry the file from the digest before the step to the one after it,
// as the commits they were taken from did (written()): short of a 64-bit collision, a step
// whose bytes were torn or changed since does not.
bool UndoHistory::stepAddsUp(const StepInfo& info, const std::map<uint32_t, Page>& pages,
                             engine::io::PageHash hash) {
    return digestMoved(info.digestBefore, pages, true, hash) == info.digestAfter;
}

Status UndoHistory::follow(engine::dao::Database& db) {
    engine::jet::JetDatabase* jet = jetFileOf(db);
    if (jet == nullptr || (jet == m_followed && jet->hasCommitObserver()))
        return Status::ok();
    m_followed = nullptr;
    m_open = false;
    m_pages.clear();
    dropGathered();
    m_gatherFailure = Status::ok();
    VELMORA_ASSIGN_OR_RETURN(m_digest, jet->fileDigest());
    m_path = db.path();
    m_followed = jet;
    jet->setCommitObserver({[this](const engine::jet::CommitImages& images) { written(images); },
                            [this](bool committed) { settled(committed); }});
    return takeOverFirstLayout(*jet);
}

Status UndoHistory::takeOverFirstLayout(engine::jet::JetDatabase& jet) {
    std::optional<Index> index = parseIndex(kFirstIndexHeader);
    if (!index)
        return Status::ok();
    const Index old = *index;
    if (rehashFirstLayout(jet, *index))
        return writeIndex(*index);
    // A step file left behind is only space: without the index nothing reads it, and a new
    // step of the same number writes over it.
    for (const StepInfo& s : old.steps) {
        if (m_files.exists(stepPath(s.number)))
            (void)m_files.remove(stepPath(s.number));
    }
    return m_files.remove(indexPath());
}

// Whether the index of the first layout describes the file and its steps are whole, each step's
// digests then taken anew by quickPageHash: back from the file's digest over the done steps,
// forward over the undone ones.
bool UndoHistory::rehashFirstLayout(engine::jet::JetDatabase& jet, Index& index) {
    std::vector<StepInfo>& steps = index.steps;
    if (steps.empty())
        return true;
    for (size_t i = 1; i < steps.size(); ++i) {
        if (steps[i - 1].digestAfter != steps[i].digestBefore)
            return false;
    }
    const uint64_t doneState =
        index.done > 0 ? steps[index.done - 1].digestAfter : steps.front().digestBefore;
    const auto byFirstHash = jet.fileDigest(engine::io::pageHash);
    if (!byFirstHash.isOk() || *byFirstHash != doneState)
        return false;
    const auto rehash = [&](StepInfo& step, uint64_t& digest, bool forward) {
        uint32_t pageSize = 0;
        std::map<uint32_t, Page> pages;
        if (!readStep(step, pageSize, pages).isOk() ||
            !stepAddsUp(step, pages, engine::io::pageHash))
            return false;
        (forward ? step.digestBefore : step.digestAfter) = digest;
        digest = digestMoved(digest, pages, forward, engine::io::quickPageHash);
        (forward ? step.digestAfter : step.digestBefore) = digest;
        return true;
    };
    uint64_t digest = m_digest;
    for (size_t i = index.done; i-- > 0;) {
        if (!rehash(steps[i], digest, false))
            return false;
    }
    digest = m_digest;
    for (size_t i = index.done; i < steps.size(); ++i) {
        if (!rehash(steps[i], digest, true))
            return false;
    }
    return true;
}

void UndoHistory::written(const engine::jet::CommitImages& images) {
    m_pending = Pending{};
    m_pending.told = true;
    m_pending.pageSize = images.pageSize;
    m_pending.sizeBefore = images.sizeBefore;
    m_pending.sizeAfter = images.sizeAfter;
    if (Status gathered = gather(images); !gathered.isOk() && m_gatherFailure.isOk())
        m_gatherFailure = gathered;
}

Status UndoHistory::gather(const engine::jet::CommitImages& images) {
    // The entries go to the gathered step in pieces of 32 KB, as the engine reads the images
    // before from its journal: a command that changed the whole table never holds them.
    constexpr size_t kPieceBytes = size_t(32) << 10;
    Status failure = m_gatherFailure;
    if (failure.isOk() && m_open && images.pageSize != m_pageSize)
        failure = Status::error(engine::err::kInvalidArgument, "the page size changed");
    if (failure.isOk() && !m_gathered) {
        auto file = m_files.open(gatheredPath(), engine::io::OpenMode::CreateOrTrunc);
        if (file.isOk()) {
            m_gathered = std::move(file).value();
            m_gatheredEnd = kStepHeader;
        } else {
            failure = file.status();
        }
    }
    uint64_t at = m_gatheredEnd;
    std::vector<uint8_t> piece;
    const auto flush = [&] {
        if (failure.isOk() && !piece.empty())
            failure = m_gathered->write(at, piece);
        at += piece.size();
        piece.clear();
    };
    // The digest follows every page even when the step is lost already: the next step starts
    // from it.
    const Status visited =
        images.forEachPage([&](uint32_t number, engine::Bytes before, engine::Bytes after) {
            if (!before.empty())
                m_pending.digestChange -= engine::io::quickPageHash(number, before);
            m_pending.digestChange += engine::io::quickPageHash(number, after);
            if (!failure.isOk())
                return Status::ok();
            const uint64_t entry = at + piece.size();
            m_pending.pages.push_back({number, {entry, entry, !before.empty(), !before.empty()}});
            const size_t header = piece.size();
            piece.resize(header + kPageHeader);
            engine::putU32(piece, header, number);
            engine::putU8(piece, header + 4, before.empty() ? 0 : 1);
            piece.insert(piece.end(), before.begin(), before.end());
            piece.insert(piece.end(), after.begin(), after.end());
            if (piece.size() >= kPieceBytes)
                flush();
            return Status::ok();
        });
    flush();
    m_pending.end = at;
    if (!visited.isOk()) {
        m_pending.digestKnown = false;
        return visited;
    }
    return failure;
}

void UndoHistory::settled(bool committed) {
    Pending pending = std::exchange(m_pending, Pending{});
    if (!pending.told)
        return;
    // Rolled back: the file is as before, and so is the gathered step; the entries this commit
    // appended past its end are written over by the next commit or cut off when it is stored.
    if (!committed)
        return;
    if (!m_open) {
        m_open = true;
        m_pageSize = pending.pageSize;
        m_stepDigestBefore = m_digest;
        m_stepSizeBefore = pending.sizeBefore;
    }
    m_stepSizeAfter = pending.sizeAfter;
    if (pending.digestKnown) {
        m_digest += pending.digestChange;
    } else if (auto digest = m_followed->fileDigest(); digest.isOk()) {
        m_digest = *digest;
    } else if (m_gatherFailure.isOk()) {
        m_gatherFailure = digest.status();
    }
    m_gatheredEnd = pending.end;
    for (const auto& [number, entry] : pending.pages) {
        auto [it, first] = m_pages.try_emplace(number, entry);
        if (!first) {
            it->second.last = entry.last;
            it->second.lastHasBefore = entry.lastHasBefore;
            m_pageWrittenTwice = true;
        }
    }
}

void UndoHistory::dropGathered() {
    const bool had = m_gathered != nullptr;
    m_gathered.reset();
    m_pageWrittenTwice = false;
    m_gatheredEnd = 0;
    // A gathered file left behind is only space: nothing reads it, and the next commit's
    // gathering starts it anew.
    if (had && m_files.exists(gatheredPath()))
        (void)m_files.remove(gatheredPath());
}

std::string UndoHistory::stepPath(uint64_t number) const {
    return m_path + ".undo." + std::to_string(number);
}

UndoHistory::Index UndoHistory::readIndex() {
    return parseIndex(kIndexHeader).value_or(Index{});
}

std::optional<UndoHistory::Index> UndoHistory::parseIndex(const char* header) {
    if (!m_files.exists(indexPath()))
        return std::nullopt;
    auto bytes = engine::io::readWholeFile(m_files, indexPath());
    if (!bytes.isOk())
        return std::nullopt;
    std::istringstream in(std::string(bytes->begin(), bytes->end()));
    std::string first, word;
    size_t done = 0;
    if (!std::getline(in, first) || first != header)
        return std::nullopt;
    Index index;
    if (!(in >> word >> done) || word != "done")
        return index;
    StepInfo s;
    while (in >> word >> s.number >> s.bytes >> s.digestBefore >> s.digestAfter >> s.sizeBefore >>
           s.sizeAfter) {
        if (word != "step")
            return Index{};
        index.steps.push_back(s);
    }
    index.done = std::min(done, index.steps.size());
    return index;
}

// Written under a ".part" name and renamed, so that a running program never reads half a
// file, but not synced: the history is a convenience beside the database, whose own journal
// keeps it whole. A power cut may lose the newest steps or leave a step's bytes torn; a torn
// step does not add up to its digests and is refused (stepAddsUp), so it is never written
// into the file. Syncing it cost more than the rest of a large command's commit.
Status UndoHistory::writeFileAtomically(const std::string& path,
                                        const std::function<Status(engine::io::File&)>& write) {
    const std::string part = path + ".part";
    {
        VELMORA_ASSIGN_OR_RETURN(auto file,
                                 m_files.open(part, engine::io::OpenMode::CreateOrTrunc));
        VELMORA_RETURN_IF_ERROR(write(*file));
    }
    return m_files.rename(part, path);
}

Status UndoHistory::writeIndex(const Index& index) {
    std::ostringstream out;
    out << kIndexHeader << "\ndone " << index.done << "\n";
    for (const StepInfo& s : index.steps) {
        out << "step " << s.number << ' ' << s.bytes << ' ' << s.digestBefore << ' '
            << s.digestAfter << ' ' << s.sizeBefore << ' ' << s.sizeAfter << "\n";
    }
    const std::string text = out.str();
    return writeFileAtomically(indexPath(), [&](engine::io::File& file) {
        return file.write(0, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    });
}

Status UndoHistory::writeStep(const StepInfo& info) {
    std::vector<uint8_t> header(kStepHeader);
    std::copy(std::begin(kStepMagic), std::end(kStepMagic), header.begin());
    engine::putU32(header, 8, m_pageSize);
    engine::putU32(header, 12, uint32_t(m_pages.size()));
    Status stored = Status::ok();
    if (!m_pageWrittenTwice && m_gatheredEnd == info.bytes + kStepHeader) {
        // Every entry is a page's only one: the gathered step is the step's file.
        stored = m_gathered->truncate(m_gatheredEnd);
        if (stored.isOk())
            stored = m_gathered->write(0, header);
        m_gathered.reset();
        if (stored.isOk())
            stored = m_files.rename(gatheredPath(), stepPath(info.number));
        if (!stored.isOk() && m_files.exists(gatheredPath()))
            (void)m_files.remove(gatheredPath());
    } else {
        stored = writeFileAtomically(stepPath(info.number), [&](engine::io::File& file) {
            VELMORA_RETURN_IF_ERROR(file.write(0, header));
            return mergeStep(file);
        });
    }
    dropGathered();
    return stored;
}

// Writes each page's first bytes before and last bytes after from the gathered step, in
// pieces of 32 KB.
Status UndoHistory::mergeStep(engine::io::File& out) {
    constexpr size_t kPieceBytes = size_t(32) << 10;
    const size_t pageSize = m_pageSize;
    std::vector<uint8_t> piece;
    piece.reserve(kPieceBytes + kPageHeader + 2 * pageSize);
    uint64_t written = kStepHeader;
    const auto flush = [&] {
        const Status s = out.write(written, piece);
        written += piece.size();
        piece.clear();
        return s;
    };
    for (const auto& [number, page] : m_pages) {
        const size_t at = piece.size();
        piece.resize(at + kPageHeader + (page.firstHasBefore ? pageSize : 0) + pageSize);
        engine::MutableBytes entry = engine::MutableBytes(piece).subspan(at);
        engine::putU32(entry, 0, number);
        engine::putU8(entry, 4, page.firstHasBefore ? 1 : 0);
        if (page.firstHasBefore)
            VELMORA_RETURN_IF_ERROR(
                m_gathered->read(page.first + kPageHeader, entry.subspan(kPageHeader, pageSize)));
        VELMORA_RETURN_IF_ERROR(
            m_gathered->read(page.last + kPageHeader + (page.lastHasBefore ? pageSize : 0),
                             entry.subspan(entry.size() - pageSize)));
        if (piece.size() >= kPieceBytes)
            VELMORA_RETURN_IF_ERROR(flush());
    }
    return piece.empty() ? Status::ok() : flush();
}

Status UndoHistory::readStep(const StepInfo& info, uint32_t& pageSize,
                             std::map<uint32_t, Page>& pages) {
    const std::string path = stepPath(info.number);
    VELMORA_ASSIGN_OR_RETURN(const std::vector<uint8_t> bytes,
                             engine::io::readWholeFile(m_files, path));
    if (bytes.size() != info.bytes + kStepHeader || bytes.size() < kStepHeader ||
        !std::equal(std::begin(kStepMagic), std::end(kStepMagic), bytes.begin()))
        return damagedStep(path);
    pageSize = engine::getU32(bytes, 8);
    const uint32_t count = engine::getU32(bytes, 12);
    size_t at = kStepHeader;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + kPageHeader > bytes.size())
            return damagedStep(path);
        const uint32_t number = engine::getU32(bytes, at);
        const bool hasBefore = engine::getU8(bytes, at + 4) != 0;
        at += kPageHeader;
        const size_t need = size_t(pageSize) * (hasBefore ? 2 : 1);
        if (pageSize == 0 || at + need > bytes.size())
            return damagedStep(path);
        Page& p = pages[number];
        if (hasBefore) {
            p.before.assign(bytes.begin() + long(at), bytes.begin() + long(at + pageSize));
            at += pageSize;
        }
        p.after.assign(bytes.begin() + long(at), bytes.begin() + long(at + pageSize));
        at += pageSize;
    }
    return at == bytes.size() ? Status::ok() : damagedStep(path);
}

Status UndoHistory::closeStep() {
    const Status gathered = std::exchange(m_gatherFailure, Status::ok());
    if (!m_open) {
        dropGathered();
        return Status::ok();
    }
    m_open = false;
    StepInfo info;
    info.digestBefore = m_stepDigestBefore;
    info.digestAfter = m_digest;
    info.sizeBefore = m_stepSizeBefore;
    info.sizeAfter = m_stepSizeAfter;
    for (const auto& [number, page] : m_pages)
        info.bytes += kPageHeader + (page.firstHasBefore ? 2 : 1) * uint64_t(m_pageSize);

    const Index old = readIndex();
    Index index = old;
    // A new command ends what could be redone; steps that do not lead to the state this one
    // starts from (another program wrote the file between runs) can never be taken back.
    index.steps.resize(index.done);
    if (!index.steps.empty() && index.steps.back().digestAfter != info.digestBefore)
        index.steps.clear();
    Status stored = Status::ok();
    if (!gathered.isOk()) {
        index.steps.clear();
        stored = gathered;
    } else if (info.bytes > kUndoBytes) {
        index.steps.clear();
        stored = Status::error(
            engine::err::kInvalidArgument,
            "it changed more than " + std::to_string(kUndoBytes >> 20) + " MB of the file");
    } else {
        uint64_t last = 0;
        for (const StepInfo& s : old.steps)
            last = std::max(last, s.number);
        info.number = last + 1;
        stored = writeStep(info);
        if (stored.isOk())
            index.steps.push_back(info);
        else
            index.steps.clear();
        uint64_t total = 0;
        for (const StepInfo& s : index.steps)
            total += s.bytes;
        while (index.steps.size() > size_t(kUndoSteps) || total > kUndoBytes) {
            total -= index.steps.front().bytes;
            index.steps.erase(index.steps.begin());
        }
    }
    m_pages.clear();
    dropGathered();
    index.done = index.steps.size();
    VELMORA_RETURN_IF_ERROR(writeIndex(index));
    // Only what the index no longer names goes.
    for (const StepInfo& s : old.steps) {
        const bool kept = std::any_of(index.steps.begin(), index.steps.end(),
                                      [&](const StepInfo& k) { return k.number == s.number; });
        if (!kept && m_files.exists(stepPath(s.number)))
            (void)m_files.remove(stepPath(s.number));
    }
    return stored;
}

UndoHistory::Result UndoHistory::apply(engine::dao::Database& db, bool redo) {
    engine::jet::JetDatabase* jet = jetFileOf(db);
    if (jet == nullptr || jet != m_followed)
        return {Outcome::Nothing, Status::ok()};
    if (Status closed = closeStep(); !closed.isOk())
        return {Outcome::Failed, closed};
    Index index = readIndex();
    if (redo ? index.done >= index.steps.size() : index.done == 0)
        return {Outcome::Nothing, Status::ok()};
    const StepInfo info = index.steps[redo ? index.done : index.done - 1];

    auto digest = jet->fileDigest();
    if (!digest.isOk())
        return {Outcome::Failed, digest.status()};
    if (*digest != (redo ? info.digestBefore : info.digestAfter))
        return {Outcome::ChangedOutside, Status::ok()};
    uint32_t pageSize = 0;
    std::map<uint32_t, Page> pages;
    if (Status read = readStep(info, pageSize, pages); !read.isOk())
        return {Outcome::Failed, read};
    if (!stepAddsUp(info, pages))
        return {Outcome::Failed, damagedStep(stepPath(info.number))};
    std::vector<engine::jet::PageBytes> writes;
    for (const auto& [number, page] : pages) {
        const std::vector<uint8_t>& bytes = redo ? page.after : page.before;
        // A page the step added is cut off by the size, not written.
        if (!bytes.empty())
            writes.push_back({number, bytes});
    }
    if (Status written = jet->writePages(writes, redo ? info.sizeAfter : info.sizeBefore);
        !written.isOk())
        return {Outcome::Failed, written};
    db.rollback();
    m_digest = redo ? info.digestAfter : info.digestBefore;
    index.done += redo ? 1 : -1;
    return {Outcome::Done, writeIndex(index)};
}

}  // namespace velmora::core::app
