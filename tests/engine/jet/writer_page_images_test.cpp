// The page images a commit hands its observer, and writing them back: the before-images turn
// the file into exactly the bytes it had before the commit, the after-images into exactly the
// bytes after it, also when they come back from the commit's scratch file; the file digest
// follows the images, and a write-back that fails or loses the power at any point leaves one
// of the two files.
#include <gtest/gtest.h>

#include "engine/io/fault_env.h"
#include "engine/io/journal.h"
#include "engine/io/page_digest.h"
#include "engine/jet/checker.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "kept_images.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

const char* const kImagesPath = "/db/channels.mdb";

// Rows changed, deleted and enough added that the file grows.
Status changeRows(store::Database& db) {
    VELMORA_ASSIGN_OR_RETURN(store::Table * table, db.table("Table1"));
    std::vector<store::RowId> ids;
    table->forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
    for (size_t k = 0; k < ids.size(); k += 5) {
        store::Row r = table->row(ids[k]);
        r[1] = std::string("zurück ") + std::to_string(k);
        VELMORA_RETURN_IF_ERROR(store::updateRow(*table, ids[k], r, db.rowRules()));
    }
    for (size_t k = 1; k < ids.size(); k += 9)
        VELMORA_RETURN_IF_ERROR(store::deleteRow(*table, ids[k]));
    for (int n = 0; n < 400; ++n) {
        store::Row r = table->row(ids[0]);
        r[0] = int64_t(200000 + n);
        r[2] = std::string("dazu ") + std::to_string(n);
        VELMORA_RETURN_IF_ERROR(store::insertRow(*table, r, db.rowRules()).status());
    }
    return db.commit();
}

std::vector<PageBytes> sideOf(const KeptImages& images, bool after) {
    std::vector<PageBytes> out;
    for (const CommittedPage& p : images.pages) {
        const std::vector<uint8_t>& bytes = after ? p.after : p.before;
        if (!bytes.empty())
            out.push_back({p.number, bytes});
    }
    return out;
}

class PageImages : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        const fs::path fixture = writerFixtureDir() / GetParam();
        if (!fs::exists(fixture))
            GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
        m_old = readFileBytes(fixture.string());
        FixedTimeFaultEnv env;
        env.install(kImagesPath, m_old);
        // The commit keeps one Jet 4 page (two Jet 3 ones) in memory: the observer is handed
        // images read back from the scratch file.
        OpenOptions options = noOsLocks();
        options.commitImageBudget = 4096;
        auto jet = JetDatabase::open(kImagesPath, env, options);
        ASSERT_TRUE(jet.isOk()) << jet.status().toString();
        keepCommitImages(**jet, m_images);
        store::Database db(std::move(jet).value());
        Status s = changeRows(db);
        ASSERT_TRUE(s.isOk()) << s.toString();
        EXPECT_EQ(env.scratchFilesMade(), 1);
        m_new = env.contents(kImagesPath);
        ASSERT_GT(m_new.size(), m_old.size());
    }

    // Opens the file, writes one side of the images back and tells how that went.
    Status writeBack(io::FaultEnv& env, bool after) {
        auto jet = JetDatabase::open(kImagesPath, env, noOsLocks());
        if (!jet.isOk())
            return jet.status();
        const std::vector<PageBytes> pages = sideOf(m_images, after);
        return (*jet)->writePages(pages, after ? m_images.sizeAfter : m_images.sizeBefore);
    }

    std::vector<uint8_t> m_old, m_new;
    KeptImages m_images;
};

TEST_P(PageImages, DescribeTheCommitExactlyAndWriteBothStatesBack) {
    ASSERT_FALSE(m_images.pages.empty());
    EXPECT_EQ(m_images.sizeBefore, m_old.size());
    EXPECT_EQ(m_images.sizeAfter, m_new.size());
    const size_t pageSize = m_images.pageSize;
    auto digestOf = [&](const std::vector<uint8_t>& bytes) {
        io::FaultEnv files;
        files.install("/digest", bytes);
        auto file = files.open("/digest", io::OpenMode::ReadOnly);
        return *io::fileDigest(**file, uint32_t(pageSize));
    };
    uint64_t digest = digestOf(m_old);
    {
        // Every image is what the two files hold at its place; the digest follows them.
        for (const CommittedPage& p : m_images.pages) {
            const size_t at = size_t(p.number) * pageSize;
            ASSERT_EQ(p.after, std::vector<uint8_t>(m_new.begin() + long(at),
                                                    m_new.begin() + long(at + pageSize)));
            if (at + pageSize <= m_old.size()) {
                ASSERT_EQ(p.before, std::vector<uint8_t>(m_old.begin() + long(at),
                                                         m_old.begin() + long(at + pageSize)));
                digest -= io::quickPageHash(p.number, p.before);
            } else {
                EXPECT_TRUE(p.before.empty());
            }
            digest += io::quickPageHash(p.number, p.after);
        }
        EXPECT_EQ(digest, digestOf(m_new));
    }

    FixedTimeFaultEnv env;
    env.install(kImagesPath, m_new);
    for (const bool after : {false, true, false}) {
        Status s = writeBack(env, after);
        ASSERT_TRUE(s.isOk()) << s.toString();
        ASSERT_EQ(env.contents(kImagesPath), after ? m_new : m_old) << (after ? "redo" : "undo");
        EXPECT_FALSE(env.exists(io::RollbackJournal::pathFor(kImagesPath)));
    }
    // The handle that wrote the pages reads the state it wrote.
    auto jet = JetDatabase::open(kImagesPath, env, noOsLocks());
    ASSERT_TRUE(jet.isOk());
    ASSERT_TRUE((*jet)->writePages(sideOf(m_images, true), m_images.sizeAfter).isOk());
    auto report = checkDatabase((*jet)->reader());
    ASSERT_TRUE(report.isOk());
    EXPECT_TRUE(report->problems.empty());
    EXPECT_EQ(*(*jet)->fileDigest(), digest);
}

// The observer is told of the images once the pages are synced, the commit point, and then
// whether the commit held. A power cut at each sync of the commit, and one after it: before
// the pages are synced it is told nothing and the next open finds the old file; after, it heard
// the commit held, and the next open finds the new file, though the journal's disarming was
// never synced. A journal that cannot be disarmed rolls the commit back: it read the images,
// but hears the commit was rolled back.
TEST_P(PageImages, AreSettledAsTheNextOpenFindsTheFile) {
    auto commitOnce = [&](FixedTimeFaultEnv& env, std::vector<std::string>& told) {
        env.install(kImagesPath, m_old);
        auto jet = JetDatabase::open(kImagesPath, env, noOsLocks());
        ASSERT_TRUE(jet.isOk()) << jet.status().toString();
        (*jet)->setCommitObserver(
            {[&](const CommitImages& images) {
                 size_t pages = 0;
                 const Status read = images.forEachPage([&](uint32_t, Bytes, Bytes) {
                     ++pages;
                     return Status::ok();
                 });
                 told.push_back(read.isOk() && pages == images.pageCount ? "written" : "unread");
             },
             [&](bool committed) { told.push_back(committed ? "held" : "rolled back"); }});
        store::Database db(std::move(jet).value());
        (void)changeRows(db);
    };
    const std::vector<std::string> held = {"written", "held"};
    int syncs = 0, writes = 0;
    {
        FixedTimeFaultEnv env;
        std::vector<std::string> told;
        commitOnce(env, told);
        syncs = env.syncCount();
        writes = env.writeCount();
        EXPECT_EQ(told, held);
    }
    // The journal's data, its folder entry, the file.
    ASSERT_EQ(syncs, 3);
    int cutsAfterTheCommitPoint = 0;
    for (int i = 1; i <= syncs + 1; ++i) {
        FixedTimeFaultEnv env;
        std::vector<std::string> told;
        env.losePowerAtRandom(uint64_t(i));
        env.crashAtSync(i);
        commitOnce(env, told);
        if (!env.crashed())
            env.crash();
        env.crashAtSync(0);
        env.revive();
        ASSERT_TRUE(JetDatabase::open(kImagesPath, env, noOsLocks()).isOk());
        EXPECT_FALSE(env.exists(io::RollbackJournal::pathFor(kImagesPath))) << i;
        const std::vector<uint8_t> now = env.contents(kImagesPath);
        if (told.empty()) {
            EXPECT_EQ(now, m_old) << "power cut at sync " << i;
        } else {
            EXPECT_EQ(told, held) << i;
            EXPECT_TRUE(now == m_new) << "power cut at sync " << i;
            ++cutsAfterTheCommitPoint;
        }
    }
    EXPECT_EQ(cutsAfterTheCommitPoint, 1);
    // The disarming is the commit's last write.
    FixedTimeFaultEnv env;
    std::vector<std::string> told;
    env.failWriteAt(writes);
    commitOnce(env, told);
    EXPECT_EQ(told, (std::vector<std::string>{"written", "rolled back"}));
    EXPECT_EQ(env.contents(kImagesPath), m_old);
}

// Undo cuts the file back; redo makes it grow again. Every failed write or sync and every
// power cut leaves the state before the write-back or the one after it.
TEST_P(PageImages, AFailedWriteBackLeavesOneOfTheTwoStates) {
    for (const bool after : {false, true}) {
        const std::vector<uint8_t>& from = after ? m_old : m_new;
        const std::vector<uint8_t>& to = after ? m_new : m_old;
        int writes = 0, syncs = 0;
        {
            FixedTimeFaultEnv env;
            env.install(kImagesPath, from);
            const int w = env.writeCount(), y = env.syncCount();
            ASSERT_TRUE(writeBack(env, after).isOk());
            writes = env.writeCount() - w;
            syncs = env.syncCount() - y;
        }
        ASSERT_GT(writes, 2);
        enum class Fault { Write, Sync, PowerCut };
        for (const Fault fault : {Fault::Write, Fault::Sync, Fault::PowerCut}) {
            const int points = fault == Fault::Write ? writes : syncs;
            for (int i = 1; i <= points; ++i) {
                FixedTimeFaultEnv env;
                env.install(kImagesPath, from);
                if (fault == Fault::Write)
                    env.failWriteAt(i);
                else if (fault == Fault::Sync)
                    env.failSyncAt(i);
                else
                    env.crashAtSync(i);
                const Status s = writeBack(env, after);
                env.revive();
                auto reopened = JetDatabase::open(kImagesPath, env, noOsLocks());
                ASSERT_TRUE(reopened.isOk()) << reopened.status().toString();
                const std::vector<uint8_t> now = env.contents(kImagesPath);
                const std::string where = std::string(after ? "redo" : "undo") + ", fault " +
                                          std::to_string(int(fault)) + " at " + std::to_string(i);
                EXPECT_TRUE(now == from || now == to) << where;
                if (!s.isOk() && fault != Fault::PowerCut && i < points) {
                    EXPECT_EQ(now, from) << where << ": " << s.toString();
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothVersions, PageImages,
                         ::testing::Values("compIndexTestV2000.mdb", "compIndexTestV1997.mdb"),
                         [](const auto& info) {
                             return info.param.substr(0, info.param.find('.'));
                         });

}  // namespace
}  // namespace velmora::engine::jet
