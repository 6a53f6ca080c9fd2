// The channel maintenance commands over the demo database at 8 192 and 32 767 channels, each
// as the program runs it on a click, the commit of the file at the end of the event
// included: ReNumber after the list was sorted by name, "Show/Edit Duplicates", "Delete
// empty channels" and "Delete SpecialChars".
//
// Every round works on a fresh copy of the file with the program started on it (the channel
// list loaded); writing the copy and starting are outside the timed part, so each round
// does the whole work of a first run. The counter peak_kb is the program's peak resident
// memory from its start on the copy to the command's end. ReNumber's file has its second and
// third frequencies dropped, since ReNumber refuses a channel stored twice.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/views/channel_list.h"
#include "demo/demo_generator.h"
#include "demo_file.h"
#include "peak_memory.h"
#include "support/app_session.h"

namespace {

using namespace velmora;

// The demo content, with only the first row of each channel when `singleFrequency`.
demo::DemoDatabase content(int channels, bool singleFrequency) {
    demo::DemoOptions options;
    options.channels = channels;
    auto generated = demo::generateDemoDatabase(options);
    if (!generated.isOk())
        return {};
    demo::DemoDatabase db = std::move(generated).value();
    if (singleFrequency) {
        demo::DemoTable& channelsTable = db.tables[0];
        const auto& cols = channelsTable.schema.columns;
        std::map<std::string, std::size_t> at;
        for (std::size_t i = 0; i < cols.size(); ++i)
            at[cols[i].name] = i;
        auto part = [](const engine::store::Value& v) {
            if (const auto* text = std::get_if<std::string>(&v))
                return *text;
            if (const auto* number = std::get_if<int64_t>(&v))
                return std::to_string(*number);
            return std::string("?");
        };
        std::set<std::string> seen;
        std::vector<engine::store::Row> kept;
        for (auto& row : channelsTable.rows) {
            const std::string key = part(row[at["SOURCEID"]]) + '\t' + part(row[at["SID"]]) + '\t' +
                                    part(row[at["NID"]]);
            if (seen.insert(key).second)
                kept.push_back(std::move(row));
        }
        channelsTable.rows = std::move(kept);
    }
    return db;
}

struct Command {
    const char* button;
    bool singleFrequency;
    bool sortByName;
    bool asks;  // the clean-up commands ask before they start
};

// The demo file of one command and size, written once; each round starts on a copy.
class DemoTemplate {
public:
    DemoTemplate(int channels, bool singleFrequency)
        : m_path(std::filesystem::temp_directory_path() /
                 ("velmora-maintenance-" + std::to_string(::getpid()) + ".mdb")) {
        std::filesystem::remove(m_path);
        m_ok = bench::writeApart([&] {
            return bench::writeDemoFile(m_path.string(), content(channels, singleFrequency));
        });
    }
    ~DemoTemplate() { std::filesystem::remove(m_path); }
    bool copyTo(const std::string& path) const {
        std::error_code ec;
        return m_ok && std::filesystem::copy_file(
                           m_path, path, std::filesystem::copy_options::overwrite_existing, ec);
    }

private:
    std::filesystem::path m_path;
    bool m_ok = false;
};

void runCommand(benchmark::State& state, const Command& command) {
    const int channels = static_cast<int>(state.range(0));
    const DemoTemplate demoFile(channels, command.singleFrequency);
    int rows = 0;
    long peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<test::AppSession>();
        const std::string path = (s->folder() / "WinSTB.mdb").string();
        if (!demoFile.copyTo(path)) {
            state.SkipWithError("cannot write the demo database");
            return;
        }
        bench::startPeakMemory();
        s->storeSetting(core::app::SettingKey::Language, "eng");
        s->storeSetting(core::app::SettingKey::WinSTBPath, path);
        if (!s->start() || s->app().db().isReadOnly()) {
            state.SkipWithError("cannot open the demo database");
            return;
        }
        if (command.sortByName) {
            (void)s->app().grid().setCol(core::views::channel_col::kName);
            s->app().grid().sortGenericAscending();
        }
        rows = s->app().grid().dataRowCount();
        if (command.asks)
            s->ports().expectMessage(core::ports::MessageAnswer::Ok);
        state.ResumeTiming();

        s->click(command.button);

        state.PauseTiming();
        peakKb = std::max(peakKb, bench::peakMemoryKb());
        const std::size_t shown = s->ports().messages().size();
        s.reset();
        state.ResumeTiming();
        if (shown > (command.asks ? 1u : 0u)) {
            state.SkipWithError("the command showed a message of its own");
            return;
        }
    }
    state.counters["grid_rows"] = rows;
    // The program's peak from its start on the file to the command's end, of any round.
    state.counters["peak_kb"] = double(peakKb);
}

void BM_ReNumber(benchmark::State& state) {
    runCommand(state, {"Command8", true, true, false});
}
void BM_ShowEditDuplicates(benchmark::State& state) {
    runCommand(state, {"Command15", false, false, false});
}
void BM_DeleteEmptyChannels(benchmark::State& state) {
    runCommand(state, {"Command4", false, false, true});
}
void BM_DeleteSpecialChars(benchmark::State& state) {
    runCommand(state, {"Command5", false, false, true});
}

#define MAINTENANCE_BENCHMARK(name) \
    BENCHMARK(name)->Arg(8192)->Arg(32767)->Unit(benchmark::kMillisecond)->Iterations(3)

MAINTENANCE_BENCHMARK(BM_ReNumber);
MAINTENANCE_BENCHMARK(BM_ShowEditDuplicates);
MAINTENANCE_BENCHMARK(BM_DeleteEmptyChannels);
MAINTENANCE_BENCHMARK(BM_DeleteSpecialChars);

}  // namespace
BENCHMARK_MAIN();
