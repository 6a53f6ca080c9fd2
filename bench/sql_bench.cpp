// The channel database's heavy statements on a list of 32 767 channels and 10 000
// assignments, through the DAO-shaped interface as the program runs them:
// - ChannelList: the channel-list statement (a LEFT JOIN of CHANNELS and FAVOURITE), every
//   field of every row read as grid text;
// - FullSave: storing the whole grid, one FAVOURITE lookup and one CHANNELS lookup with an
//   update per row (65 534 statements), then one commit;
// - Duplicates: the GROUP BY ... HAVING Count > 1 query of ReNumber.
// bench/sqlite_compare.sh runs the equivalent statements in sqlite3 on the same data.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/dao/workspace.h"
#include "engine/sql/winstb_fixture.h"
#include "engine/store/database.h"

namespace {

using namespace velmora::engine;

constexpr int kChannels = 32767;
constexpr int kAssignments = 10000;

const char* kChannelList =
    "SELECT CHANNELS.CHANNELNUM AS Num, CHANNELS.SOURCEID AS Source, CHANNELS.PROVIDERID AS "
    "Provider, CHANNELS.NAME, FAVOURITE.FAVNAME AS FAVORITE, FAVOURITE.NUM AS "
    "FNum,CHANNELS.VIDEOID, CHANNELS.ECM, CHANNELS.SID, CHANNELS.NID, CHANNELS.FREQUENCY FROM "
    "CHANNELS LEFT JOIN FAVOURITE ON (CHANNELS.SID = FAVOURITE.SID) AND (CHANNELS.NID = "
    "FAVOURITE.NID) AND (CHANNELS.SOURCEID = FAVOURITE.SOURCEID)";

const char* kDuplicates =
    "SELECT CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID, Count(CHANNELS.FREQUENCY) AS NUMB "
    "From CHANNELS GROUP BY CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID HAVING "
    "(((Count(CHANNELS.FREQUENCY))>1));";

std::unique_ptr<dao::Database> openLarge() {
    auto ws = dao::Workspace::createWorkspace();
    auto db = ws.openDatabase(std::make_unique<store::MemoryStorage>());
    velmora::testing::addLargeWinStbTables(db->store(), kChannels, kAssignments);
    return db;
}

using GridRow = std::vector<std::string>;

std::vector<GridRow> channelListGrid(dao::Database& db) {
    std::vector<GridRow> grid;
    auto rs = db.openRecordset(kChannelList, dao::RecordsetType::Snapshot,
                               dao::recordset_option::kInconsistent, dao::LockType::Optimistic);
    for (; !rs.eof(); rs.moveNext()) {
        GridRow row;
        for (dao::Field f : rs.fields())
            row.push_back(f.text());
        if (row[4].empty())
            row[4] = "ZZZZ";
        if (row[5].empty())
            row[5] = "ZZZ";
        grid.push_back(std::move(row));
    }
    return grid;
}

void ChannelList(benchmark::State& state) {
    auto db = openLarge();
    size_t rows = 0;
    for (auto _ : state) {
        rows = channelListGrid(*db).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(ChannelList)->Unit(benchmark::kMillisecond);

void FullSave(benchmark::State& state) {
    auto db = openLarge();
    const std::vector<GridRow> grid = channelListGrid(*db);
    const auto options = dao::recordset_option::kInconsistent;
    for (auto _ : state) {
        for (const GridRow& g : grid) {
            // Num, Source, Provider, NAME, FAVORITE, FNum, VIDEOID, ECM, SID, NID, FREQUENCY
            auto fav = db->openRecordset(
                "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE "
                "WHERE SOURCEID = '" +
                    g[1] + "' AND FAVNAME = '" + g[4] + "' AND SID = " + g[8] +
                    " AND NID = " + g[9],
                dao::RecordsetType::Dynaset, options, dao::LockType::Optimistic);
            if (!fav.eof() && g[4] != "ZZZZ") {
                fav.edit();
                fav.field("FAVNAME").setValue(g[4]);
                fav.field("NUM").setValue(g[5]);
                fav.update();
            }
            auto ch = db->openRecordset(
                "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE "
                "SOURCEID = '" +
                    g[1] + "' AND SID = " + g[8] + " AND NID = " + g[9] +
                    " AND FREQUENCY = " + g[10],
                dao::RecordsetType::Dynaset, options, dao::LockType::Optimistic);
            ch.edit();
            ch.field("CHANNELNUM").setValue(g[0]);
            ch.field("NAME").setValue(g[3]);
            ch.update();
        }
        db->commit();
    }
    state.counters["statements"] = static_cast<double>(grid.size() * 2);
}
BENCHMARK(FullSave)->Unit(benchmark::kMillisecond);

void Duplicates(benchmark::State& state) {
    auto db = openLarge();
    int groups = 0;
    for (auto _ : state) {
        auto rs = db->openRecordset(kDuplicates, dao::RecordsetType::Snapshot);
        groups = 0;
        for (; !rs.eof(); rs.moveNext())
            ++groups;
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = groups;
}
BENCHMARK(Duplicates)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
