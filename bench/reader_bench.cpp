// Reading speed: open the largest fixture (testIndexCodesV1997.mdb, 226 Jet 3 pages, 30 tables)
// and decode every row of every table, system tables included.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "engine/io/file.h"
#include "engine/jet/jet_storage.h"
#include "support/test_paths.h"

namespace {

using namespace velmora::engine;

const std::string kFile = (std::filesystem::path(velmora::test::sharedDir()) / "fixtures" / "jet" /
                           "testIndexCodesV1997.mdb")
                              .string();

void BM_OpenAndReadAllTables(benchmark::State& state) {
    if (!std::filesystem::exists(kFile)) {
        state.SkipWithError("the shared fixtures are absent");
        return;
    }
    size_t rows = 0;
    for (auto _ : state) {
        auto db = jet::openDatabase(kFile, io::Env::real());
        if (!db.isOk()) {
            state.SkipWithError(db.status().toString().c_str());
            return;
        }
        rows = 0;
        for (const auto& t : (*db)->listTables()) {
            auto table = (*db)->loadTable(t.name);
            if (!table.isOk()) {
                state.SkipWithError(table.status().toString().c_str());
                return;
            }
            rows += (*table)->liveRowCount();
        }
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(rows));
}
BENCHMARK(BM_OpenAndReadAllTables)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
