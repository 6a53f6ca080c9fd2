// The channel database's heavy statements on a list of 32 767 channels and 10 000
// assignments, through the DAO-shaped interface as the program runs them:
// - ChannelList: the channel-list statement (a LEFT JOIN of CHANNELS and FAVOURITE), every
//   field of every row read as grid text;
// - FullSave: storing the whole grid, one FAVOURITE lookup and one CHANNELS lookup with an
//   update per row (65 534 statements), then one commit;
// - Duplicates: the GROUP BY ... HAVING Count > 1 query of ReNumber.
// The Sqlite* benchmarks run the same statements, built as text and prepared one by one as the
// program builds them, on the same data in an in-memory SQLite database with the matching
// primary key and an index on FAVOURITE's channel identity. SQLite is loaded at run time with
// dlopen, so it stays out of every build; without it those benchmarks are skipped.
// bench/compare runs them through the sqlite3 command instead, beside the whole program.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <string>
#include <vector>

#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "support/winstb_fixture.h"

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

// The few SQLite entry points the comparison needs, resolved from libsqlite3 at run time.
struct Sqlite {
    using Db = void;
    using Stmt = void;
    int (*open)(const char*, Db**) = nullptr;
    int (*close)(Db*) = nullptr;
    int (*exec)(Db*, const char*, void*, void*, char**) = nullptr;
    int (*prepare)(Db*, const char*, int, Stmt**, const char**) = nullptr;
    int (*step)(Stmt*) = nullptr;
    int (*finalize)(Stmt*) = nullptr;
    int (*columnCount)(Stmt*) = nullptr;
    const unsigned char* (*columnText)(Stmt*, int) = nullptr;
    static constexpr int kRow = 100;

    static const Sqlite* get() {
        static const Sqlite* lib = load();
        return lib;
    }

private:
    static const Sqlite* load() {
        void* h = dlopen("libsqlite3.so.0", RTLD_NOW);
        if (!h)
            return nullptr;
        auto* s = new Sqlite;
        s->open = reinterpret_cast<decltype(s->open)>(dlsym(h, "sqlite3_open"));
        s->close = reinterpret_cast<decltype(s->close)>(dlsym(h, "sqlite3_close"));
        s->exec = reinterpret_cast<decltype(s->exec)>(dlsym(h, "sqlite3_exec"));
        s->prepare = reinterpret_cast<decltype(s->prepare)>(dlsym(h, "sqlite3_prepare_v2"));
        s->step = reinterpret_cast<decltype(s->step)>(dlsym(h, "sqlite3_step"));
        s->finalize = reinterpret_cast<decltype(s->finalize)>(dlsym(h, "sqlite3_finalize"));
        s->columnCount =
            reinterpret_cast<decltype(s->columnCount)>(dlsym(h, "sqlite3_column_count"));
        s->columnText = reinterpret_cast<decltype(s->columnText)>(dlsym(h, "sqlite3_column_text"));
        if (!s->open || !s->close || !s->exec || !s->prepare || !s->step || !s->finalize ||
            !s->columnCount || !s->columnText)
            return nullptr;
        return s;
    }
};

// Runs one statement, handing every row's column texts to `onRow`.
template <class F>
void sqliteRun(const Sqlite& q, Sqlite::Db* db, const std::string& sql, F&& onRow) {
    Sqlite::Stmt* stmt = nullptr;
    if (q.prepare(db, sql.c_str(), -1, &stmt, nullptr) != 0)
        return;
    const int n = q.columnCount(stmt);
    GridRow row(n);
    while (q.step(stmt) == Sqlite::kRow) {
        for (int i = 0; i < n; ++i) {
            const unsigned char* t = q.columnText(stmt, i);
            row[i] = t ? reinterpret_cast<const char*>(t) : "";
        }
        onRow(row);
    }
    q.finalize(stmt);
}

// The same data as openLarge(), copied row by row out of the engine's tables.
Sqlite::Db* openLargeSqlite(const Sqlite& q) {
    Sqlite::Db* db = nullptr;
    q.open(":memory:", &db);
    q.exec(db,
           "CREATE TABLE CHANNELS (CHANNELNUM INTEGER, NAME TEXT COLLATE NOCASE, SOURCEID TEXT "
           "COLLATE NOCASE, PROVIDERID TEXT, SID INTEGER, NID INTEGER, FREQUENCY INTEGER, "
           "VIDEOID INTEGER, ECM INTEGER, AUDIOID INTEGER, PRIMARY KEY (SOURCEID, SID, NID, "
           "FREQUENCY));"
           "CREATE TABLE FAVOURITE (FAVNAME TEXT COLLATE NOCASE, NUM INTEGER, SOURCEID TEXT "
           "COLLATE NOCASE, SID INTEGER, NID INTEGER);"
           "CREATE INDEX FavChannel ON FAVOURITE (SOURCEID, SID, NID);",
           nullptr, nullptr, nullptr);
    auto source = openLarge();
    q.exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const char* table : {"CHANNELS", "FAVOURITE"}) {
        auto rs = source->openRecordset(table);
        for (; !rs.eof(); rs.moveNext()) {
            std::string sql = std::string("INSERT INTO ") + table + " VALUES (";
            bool first = true;
            for (dao::Field f : rs.fields()) {
                sql += first ? "" : ", ";
                first = false;
                sql += f.type() == dao::type_code::kText ? "'" + f.text() + "'" : f.text();
            }
            q.exec(db, (sql + ")").c_str(), nullptr, nullptr, nullptr);
        }
    }
    q.exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return db;
}

void SqliteChannelList(benchmark::State& state) {
    const Sqlite* q = Sqlite::get();
    if (!q) {
        state.SkipWithError("libsqlite3 not found");
        return;
    }
    Sqlite::Db* db = openLargeSqlite(*q);
    size_t rows = 0;
    for (auto _ : state) {
        std::vector<GridRow> grid;
        sqliteRun(*q, db, kChannelList, [&](const GridRow& r) { grid.push_back(r); });
        rows = grid.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
    q->close(db);
}
BENCHMARK(SqliteChannelList)->Unit(benchmark::kMillisecond);

void SqliteFullSave(benchmark::State& state) {
    const Sqlite* q = Sqlite::get();
    if (!q) {
        state.SkipWithError("libsqlite3 not found");
        return;
    }
    Sqlite::Db* db = openLargeSqlite(*q);
    std::vector<GridRow> grid;
    sqliteRun(*q, db, kChannelList, [&](GridRow r) {
        if (r[4].empty())
            r[4] = "ZZZZ";
        grid.push_back(std::move(r));
    });
    for (auto _ : state) {
        q->exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const GridRow& g : grid) {
            const std::string where = " WHERE SOURCEID = '" + g[1] + "' AND FAVNAME = '" + g[4] +
                                      "' AND SID = " + g[8] + " AND NID = " + g[9];
            bool found = false;
            sqliteRun(*q, db, "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE" + where,
                      [&](const GridRow&) { found = true; });
            if (found && g[4] != "ZZZZ") {
                sqliteRun(*q, db,
                          "UPDATE FAVOURITE SET FAVNAME = '" + g[4] + "', NUM = " + g[5] + where,
                          [](const GridRow&) {});
            }
            sqliteRun(*q, db,
                      "UPDATE CHANNELS SET CHANNELNUM = " + g[0] + ", NAME = '" + g[3] +
                          "' WHERE SOURCEID = '" + g[1] + "' AND SID = " + g[8] +
                          " AND NID = " + g[9] + " AND FREQUENCY = " + g[10],
                      [](const GridRow&) {});
        }
        q->exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.counters["statements"] = static_cast<double>(grid.size() * 2);
    q->close(db);
}
BENCHMARK(SqliteFullSave)->Unit(benchmark::kMillisecond);

void SqliteDuplicates(benchmark::State& state) {
    const Sqlite* q = Sqlite::get();
    if (!q) {
        state.SkipWithError("libsqlite3 not found");
        return;
    }
    Sqlite::Db* db = openLargeSqlite(*q);
    int groups = 0;
    for (auto _ : state) {
        groups = 0;
        sqliteRun(*q, db, kDuplicates, [&](const GridRow&) { ++groups; });
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = groups;
    q->close(db);
}
BENCHMARK(SqliteDuplicates)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
