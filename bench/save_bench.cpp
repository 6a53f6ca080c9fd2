// "Save Fav. Channels" over the demo database at 8 192, 16 384 and 32 767 channels: the whole
// command as the program runs it on a click, every grid row looked up in FAVOURITE and
// CHANNELS and stored again, the numbering check, and the commit of the file at the end of
// the event. The time per row should stay flat as the list grows.
//
// Each size's file is written and the program started on it (the channel list loaded)
// outside the timed part; the counter peak_kb is the program's peak resident memory from its
// start on the file. Every round renames one channel so that the commit has a change
// to write.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "core/favourites/save_fav_channels.h"
#include "core/views/channel_list.h"
#include "demo_file.h"
#include "peak_memory.h"
#include "support/app_session.h"

namespace {

using namespace velmora;

struct Program {
    std::unique_ptr<test::AppSession> session;
    bool ok = false;
};

Program& programWith(int channels) {
    static std::map<int, Program> programs;
    Program& p = programs[channels];
    if (p.session)
        return p;
    p.session = std::make_unique<test::AppSession>();
    test::AppSession& s = *p.session;
    const std::string path =
        (s.folder() / ("WinSTB-" + std::to_string(channels) + ".mdb")).string();
    if (!bench::writeApart([&] { return bench::writeDemoFile(path, channels); }))
        return p;
    bench::startPeakMemory();
    s.storeSetting(core::app::SettingKey::Language, "eng");
    s.storeSetting(core::app::SettingKey::WinSTBPath, path);
    p.ok = s.start() && !s.app().db().isReadOnly();
    core::favourites::installSaveFavChannels(s.app());
    return p;
}

void BM_SaveFavChannels(benchmark::State& state) {
    Program& p = programWith(static_cast<int>(state.range(0)));
    if (!p.ok) {
        state.SkipWithError("cannot write and open the demo database");
        return;
    }
    test::AppSession& s = *p.session;
    core::grid::GridModel& grid = s.app().grid();
    const int row = grid.rows() / 2;
    int round = 0;
    for (auto _ : state) {
        if (!grid.setTextMatrix(row, core::views::channel_col::kName,
                                "Kanal " + std::to_string(++round))
                 .isOk()) {
            state.SkipWithError("grid refused the name");
            return;
        }
        // The demo's numbering has no gaps, so no message box can stop the command.
        s.click("Command7");
        if (!s.ports().messages().empty()) {
            state.SkipWithError("the save showed a message");
            return;
        }
    }
    state.counters["rows"] = grid.dataRowCount();
    // The program's peak from its start on the file, the saves included.
    state.counters["peak_kb"] = double(bench::peakMemoryKb());
    // Seconds of CPU per grid row: flat across the three sizes when the save is linear.
    state.counters["per_row"] = benchmark::Counter(
        double(grid.dataRowCount()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SaveFavChannels)
    ->Arg(8192)
    ->Arg(16384)
    ->Arg(32767)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
BENCHMARK_MAIN();
