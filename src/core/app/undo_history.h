// The page images of the last commands that changed the database, kept beside it, so that
// the newest one can be taken back (undo) and done again (redo) as atomic commits of their
// own, also in a later run.
//
// Each command's commits are one step: the first bytes each page had before the command and
// the bytes it holds after it, with the file's sizes (a merge of the images the engine hands
// its commit observer, jet/jet_database.h). The steps are files beside the database:
//   NAME.undo       the index: how many steps are done, then one line per step (its number,
//                   its bytes, the file's digest and size before and after it);
//   NAME.undo.<n>   step n's pages;
//   NAME.undo.pages the step being gathered: each commit's images go there as the engine hands
//                   them over, so that no command holds them in memory. When no page was
//                   written twice it becomes the step's file as it is, else the step's file is
//                   merged from it. A commit rolled back takes its images out again.
// Both are written under a ".part" name and renamed, without a sync (writeFileAtomically says
// why); a step is applied only when its pages add up to its digests. The index
// keeps the last kUndoSteps steps and at most kUndoBytes of them, dropping the oldest.
//
// A step is applied only to the file it describes: before an undo the file's digest must be
// the one after the step, before a redo the one before it (io/page_digest.h, by
// quickPageHash). Anything else means another program changed the file since, and the step is
// refused; the file is not touched. A crash between writing the pages and the index leaves a file
// the index does not describe, which is refused the same way, never written wrongly.
//
// An index of the first layout ("velmora-undo 1") gave its digests by pageHash. Following a
// file, the history takes it over when it still describes the file (its done state's digest
// is the file's by pageHash): every step's digests are taken again from its own pages.
// Otherwise it starts empty and the old steps' files go.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/io/file.h"
#include "engine/io/page_digest.h"

namespace velmora::engine::dao {
class Database;
}
namespace velmora::engine::jet {
struct CommitImages;
class JetDatabase;
}  // namespace velmora::engine::jet

namespace velmora::core::app {

inline constexpr int kUndoSteps = 10;
inline constexpr uint64_t kUndoBytes = uint64_t(64) << 20;

class UndoHistory {
public:
    explicit UndoHistory(engine::io::Env& files) : m_files(files) {}

    // Follows the commits of `db` from now on: no-op when it follows that database already,
    // or when its storage is no Jet file (nothing can be taken back then). Reads the whole file
    // once for its digest.
    engine::Status follow(engine::dao::Database& db);

    // The commits since the last call form one step, stored beside the file. A failure to
    // store it leaves the history without it (and without what it would have been built on).
    engine::Status closeStep();

    enum class Outcome {
        Done,
        Nothing,         // no step to undo or redo
        ChangedOutside,  // the file is not in the state the step starts from
        Failed,          // reading the step or writing the file failed; see status
    };
    struct Result {
        Outcome outcome = Outcome::Nothing;
        engine::Status status;
    };
    // Writes the newest done step's before-images back (undo), or the oldest undone step's
    // after-images (redo), as one atomic commit; the tables of `db` are read anew after it.
    // `db` must be followed and have no pending changes.
    Result undo(engine::dao::Database& db) { return apply(db, false); }
    Result redo(engine::dao::Database& db) { return apply(db, true); }

private:
    struct Page {
        std::vector<uint8_t> before;  // empty: past the end of the file before
        std::vector<uint8_t> after;
    };
    struct StepInfo {
        uint64_t number = 0;
        uint64_t bytes = 0;
        uint64_t digestBefore = 0, digestAfter = 0;
        uint64_t sizeBefore = 0, sizeAfter = 0;
    };
    struct Index {
        size_t done = 0;
        std::vector<StepInfo> steps;
    };

    // Where a page's images lie in the gathered step: the entry of the first commit of the
    // step that wrote it (its bytes before) and of the last (its bytes after).
    struct Gathered {
        uint64_t first = 0, last = 0;
        bool firstHasBefore = false, lastHasBefore = false;
    };
    // The commit the engine handed over and has not settled yet.
    struct Pending {
        bool told = false;
        uint32_t pageSize = 0;
        uint64_t sizeBefore = 0, sizeAfter = 0;
        uint64_t digestChange = 0;  // added to the file's digest
        bool digestKnown = true;
        uint64_t end = 0;  // of its entries in the gathered step
        std::vector<std::pair<uint32_t, Gathered>> pages;
    };

    void written(const engine::jet::CommitImages& images);
    void settled(bool committed);
    // Appends the commit's pages to the gathered step, learning how they change the digest.
    engine::Status gather(const engine::jet::CommitImages& images);
    std::string gatheredPath() const { return indexPath() + ".pages"; }
    // Closes and removes the gathered step.
    void dropGathered();
    Result apply(engine::dao::Database& db, bool redo);
    std::string indexPath() const { return m_path + ".undo"; }
    std::string stepPath(uint64_t number) const;
    Index readIndex();
    // The index at indexPath() when its first line is `header`.
    std::optional<Index> parseIndex(const char* header);
    engine::Status takeOverFirstLayout(engine::jet::JetDatabase& jet);
    bool rehashFirstLayout(engine::jet::JetDatabase& jet, Index& index);
    engine::Status writeIndex(const Index& index);
    // `write` fills the file, given open and empty.
    engine::Status writeFileAtomically(
        const std::string& path, const std::function<engine::Status(engine::io::File&)>& write);
    // The gathered step becomes step `info.number`'s file.
    engine::Status writeStep(const StepInfo& info);
    engine::Status mergeStep(engine::io::File& out);
    engine::Status readStep(const StepInfo& info, uint32_t& pageSize,
                            std::map<uint32_t, Page>& pages);
    static bool stepAddsUp(const StepInfo& info, const std::map<uint32_t, Page>& pages,
                           engine::io::PageHash hash = engine::io::quickPageHash);

    engine::io::Env& m_files;
    engine::jet::JetDatabase* m_followed = nullptr;
    std::string m_path;
    uint64_t m_digest = 0;  // of the file as the last commit left it

    // The step being gathered.
    bool m_open = false;
    uint32_t m_pageSize = 0;
    uint64_t m_stepDigestBefore = 0, m_stepSizeBefore = 0, m_stepSizeAfter = 0;
    std::map<uint32_t, Gathered> m_pages;
    std::unique_ptr<engine::io::File> m_gathered;
    uint64_t m_gatheredEnd = 0;
    bool m_pageWrittenTwice = false;
    engine::Status m_gatherFailure;  // the step cannot be stored
    Pending m_pending;
};

}  // namespace velmora::core::app
