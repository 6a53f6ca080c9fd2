// Committing a changed channel list: the demo's 32 767-row CHANNELS table (four-column primary
// key SOURCEID text, SID, NID, FREQUENCY long) gets every row's name changed and is written
// back, data pages, index B-tree, maps and journal, with fsync. The file is opened outside the
// timed part, as the editor keeps it open between commands.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "demo/demo_schema.h"
#include "engine/dao/workspace.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/store/constraints.h"

namespace {

using namespace velmora;
using namespace velmora::engine;

std::string channelDatabase() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("velmora-writer-bench-" + std::to_string(::getpid()) + ".mdb"))
                            .string();
        (void)std::filesystem::remove(p);
        if (!jet::createDatabase(io::Env::real(), p).isOk())
            std::abort();
        auto db = jet::openStoreDatabase(p, io::Env::real());
        demo::DemoOptions options;
        options.channels = demo::kMaxDemoChannels;
        auto content = demo::generateDemoDatabase(options);
        if (!db.isOk() || !content.isOk() || !demo::addDemoTables(**db, *content).isOk() ||
            !(*db)->commit().isOk())
            std::abort();
        return p;
    }();
    return path;
}

void BM_RewriteChannelsAndCommit(benchmark::State& state) {
    const std::string path = channelDatabase();
    auto db = jet::openStoreDatabase(path, io::Env::real());
    if (!db.isOk() || (*db)->isReadOnly()) {
        state.SkipWithError("cannot open the channel database for writing");
        return;
    }
    auto table = (*db)->table(demo::kChannelsTable);
    if (!table.isOk()) {
        state.SkipWithError("no CHANNELS table");
        return;
    }
    store::Table& t = **table;
    const store::RowRules& rules = (*db)->rowRules();
    int round = 0;
    for (auto _ : state) {
        ++round;
        Status failure;
        for (store::RowId id = 0; id < t.idLimit(); ++id) {
            if (!t.isLive(id))
                continue;
            store::Row r = t.row(id);
            r[demo::channels_col::kName] =
                "Kanal " + std::to_string(id) + "/" + std::to_string(round);
            Status s = store::updateRow(t, id, std::move(r), rules);
            if (!s.isOk())
                failure = s;
        }
        Status s = (*db)->commit();
        if (!failure.isOk() || !s.isOk()) {
            state.SkipWithError("commit failed");
            return;
        }
    }
    state.counters["rows"] = double(t.liveRowCount());
}
BENCHMARK(BM_RewriteChannelsAndCommit)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The commit alone: the rows are changed outside the timed part.
void BM_CommitOnly(benchmark::State& state) {
    const std::string path = channelDatabase();
    auto db = jet::openStoreDatabase(path, io::Env::real());
    if (!db.isOk() || (*db)->isReadOnly()) {
        state.SkipWithError("cannot open the channel database for writing");
        return;
    }
    store::Table& t = **(*db)->table(demo::kChannelsTable);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        store::Row r = t.row(0);
        r[demo::channels_col::kName] = "Erster " + std::to_string(round);
        (void)store::updateRow(t, 0, std::move(r), (*db)->rowRules());
        state.ResumeTiming();
        if (!(*db)->commit().isOk()) {
            state.SkipWithError("commit failed");
            return;
        }
    }
}
BENCHMARK(BM_CommitOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The most common commit: one cell of one row, as the statement
// "UPDATE CHANNELS SET NAME = 'X' WHERE CHANNELNUM = 5" through the DAO-shaped interface, the
// statement and its commit timed. Counters: the pages each commit writes and the bytes the file
// grew over all rounds (the name alternates between two texts of one letter, so the row always
// fits its page).
void BM_OneRowUpdate(benchmark::State& state) {
    const std::string path = channelDatabase();
    auto jet = jet::JetDatabase::open(path, io::Env::real());
    if (!jet.isOk()) {
        state.SkipWithError("cannot open the channel database");
        return;
    }
    size_t pages = 0, commits = 0;
    (*jet)->setCommitObserver({[&](const jet::CommitImages& images) {
                                   pages += images.pageCount;
                                   ++commits;
                               },
                               {}});
    auto ws = dao::Workspace::createWorkspace();
    auto db = ws.openDatabase(std::move(jet).value());
    const auto sizeBefore = std::filesystem::file_size(path);
    int round = 0;
    for (auto _ : state) {
        try {
            db->execute(std::string("UPDATE CHANNELS SET NAME = '") + (++round % 2 ? "X" : "Y") +
                        "' WHERE CHANNELNUM = 5");
            db->commit();
        } catch (const dao::DaoError& e) {
            state.SkipWithError(e.text().c_str());
            return;
        }
    }
    state.counters["pages"] = commits == 0 ? 0.0 : double(pages) / double(commits);
    state.counters["grown_bytes"] = double(std::filesystem::file_size(path) - sizeBefore);
}
BENCHMARK(BM_OneRowUpdate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
