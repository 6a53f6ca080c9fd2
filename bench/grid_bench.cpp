// Grid model speed on a full channel list: 32 767 rows of twelve columns appended from
// tab-separated text, sorted on a number column and on a text column, and read back as clip
// text, the operations a view load and a header click run; and a list with unsaved edits
// built anew while the grid records, then taken back, as a failed command does.
#include <benchmark/benchmark.h>

#include <string>

#include "core/grid/grid_model.h"

namespace {

using velmora::core::grid::CellAlignment;
using velmora::core::grid::GridModel;

constexpr int kRows = 32767;

std::string channelLine(int i) {
    // Numbers in reverse order and names in a scrambled order, so both sorts have work.
    const int number = kRows - i;
    const int scrambled = (i * 7919) % kRows;
    return "\t" + std::to_string(number) + "\tS19.2E\tProvider " + std::to_string(i % 50) +
           "\tChannel " + std::to_string(scrambled) + "\tZZZZ\tZZZ\t512\t0\t" +
           std::to_string(10000 + i) + "\t1\t11836\t";
}

void fillChannelList(GridModel& grid) {
    (void)grid.setRows(1);
    (void)grid.setHeader({"", "Num", "Source", "Provider", "NAME", "FAVORITE", "FNum", "VIDEOID",
                          "ECM", "SID", "NID", "FREQUENCY"},
                         CellAlignment::LeftCenter);
    for (int i = 0; i < kRows; ++i)
        (void)grid.addItem(channelLine(i));
}

void BM_AppendChannelList(benchmark::State& state) {
    for (auto _ : state) {
        GridModel grid;
        fillChannelList(grid);
        benchmark::DoNotOptimize(grid.rows());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AppendChannelList)->Unit(benchmark::kMillisecond);

void BM_SortOnColumn(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    GridModel grid;
    fillChannelList(grid);
    for (auto _ : state) {
        state.PauseTiming();
        // Restore a scrambled order by sorting on the other key first.
        (void)grid.setCol(column == 1 ? 4 : 1);
        grid.sortGenericAscending();
        (void)grid.setCol(column);
        state.ResumeTiming();
        grid.sortGenericAscending();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortOnColumn)->Arg(1)->Arg(4)->ArgNames({"col"})->Unit(benchmark::kMillisecond);

void BM_ClipOfEveryRow(benchmark::State& state) {
    GridModel grid;
    fillChannelList(grid);
    (void)grid.setCurrentCell(1, 1);
    (void)grid.setRowSel(kRows);
    (void)grid.setColSel(11);
    for (auto _ : state)
        benchmark::DoNotOptimize(grid.clip());
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ClipOfEveryRow)->Unit(benchmark::kMillisecond);

// The list is replaced by a new one of the same size, sorted, and everything is taken back:
// what a view load after No to the save question costs when its command then fails. The
// recording keeps the old rows (moved, not copied), one entry for the appended rows and the
// sort's permutation.
void BM_RecordedRebuildTakenBack(benchmark::State& state) {
    GridModel grid;
    fillChannelList(grid);
    for (auto _ : state) {
        grid.startRecording();
        fillChannelList(grid);
        (void)grid.setCol(4);
        grid.sortGenericAscending();
        grid.takeBackRecorded();
        benchmark::DoNotOptimize(grid.rows());
    }
    grid.stopRecording();
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RecordedRebuildTakenBack)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
