// Shape changes on a channel-list sized database: making a new file, creating a 32 767-row
// table with a four-column primary key in one commit, and compacting the result.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "engine/io/file.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/store/constraints.h"

namespace {

using namespace velmora::engine;

constexpr int kChannels = 32767;

std::string scratch(const char* name) {
    return (std::filesystem::temp_directory_path() /
            ("velmora-bench-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

store::ColumnDef column(const char* name, store::ColumnType type, uint16_t length = 0) {
    store::ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

// A channel list: name, frequency, service and transport ids as the primary key.
void makeChannelDatabase(const std::string& path) {
    (void)std::filesystem::remove(path);
    if (!jet::createDatabase(io::Env::real(), path).isOk())
        std::abort();
    jet::OpenOptions options;
    options.useOsLocks = false;
    auto db = jet::openStoreDatabase(path, io::Env::real(), options);
    if (!db.isOk())
        std::abort();
    store::TableSchema s;
    s.name = "CHANNELS";
    s.columns = {column("NAME", store::ColumnType::Text, 100),
                 column("FREQUENCY", store::ColumnType::Long),
                 column("SID", store::ColumnType::Long), column("TID", store::ColumnType::Long),
                 column("FLAGS", store::ColumnType::Integer)};
    for (uint16_t i = 0; i < s.columns.size(); ++i)
        s.columns[i].number = i;
    store::RealIndex pk;
    pk.columns = {{0, true}, {1, true}, {2, true}, {3, true}};
    pk.flags = store::index_flag::kUnique | store::index_flag::kRequired;
    store::LogicalIndex li;
    li.name = "PrimaryKey";
    li.type = store::LogicalIndexType::PrimaryKey;
    s.realIndexes = {pk};
    s.logicalIndexes = {li};
    auto t = (*db)->createTable(s);
    if (!t.isOk())
        std::abort();
    for (int i = 0; i < kChannels; ++i) {
        store::Row row{store::Value("Channel " + std::to_string(i % 4000)),
                       store::Value(int64_t(10700 + i % 2000)), store::Value(int64_t(i)),
                       store::Value(int64_t(i / 16)), store::Value(int64_t(i % 7))};
        if (!store::insertRow(**t, std::move(row), (*db)->rowRules()).isOk())
            std::abort();
    }
    if (!(*db)->commit().isOk())
        std::abort();
}

void BM_CreateEmptyDatabase(benchmark::State& state) {
    const std::string path = scratch("empty.mdb");
    for (auto _ : state) {
        (void)std::filesystem::remove(path);
        if (!jet::createDatabase(io::Env::real(), path).isOk())
            state.SkipWithError("create failed");
    }
    (void)std::filesystem::remove(path);
}
BENCHMARK(BM_CreateEmptyDatabase)->Unit(benchmark::kMillisecond);

void BM_CreateChannelTableAndCommit(benchmark::State& state) {
    const std::string path = scratch("channels.mdb");
    for (auto _ : state)
        makeChannelDatabase(path);
    (void)std::filesystem::remove(path);
}
BENCHMARK(BM_CreateChannelTableAndCommit)->Unit(benchmark::kMillisecond);

void BM_CompactChannelDatabase(benchmark::State& state) {
    const std::string source = scratch("source.mdb");
    const std::string target = scratch("packed.mdb");
    makeChannelDatabase(source);
    for (auto _ : state) {
        (void)std::filesystem::remove(target);
        if (!jet::compactDatabase(io::Env::real(), source, target).isOk())
            state.SkipWithError("compact failed");
    }
    (void)std::filesystem::remove(source);
    (void)std::filesystem::remove(target);
}
BENCHMARK(BM_CompactChannelDatabase)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
