// Building Jet 4 text index keys: every channel name of the 32 767-channel demo (German and
// English names, umlauts, ß) keyed once per iteration, and the same count of Cyrillic and
// Greek names. The names are all distinct, so the encoder's cache of recent keys does not
// answer for them: each key is built from its text.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "demo/demo_generator.h"
#include "demo/demo_schema.h"
#include "engine/store/general_sort_order.h"

namespace {

using namespace velmora;
using namespace velmora::engine;

const std::vector<std::string>& latinNames() {
    static const std::vector<std::string> names = [] {
        demo::DemoOptions options;
        options.channels = demo::kMaxDemoChannels;
        auto content = demo::generateDemoDatabase(options);
        if (!content.isOk())
            std::abort();
        std::vector<std::string> out;
        for (const store::Row& row : content->find(demo::kChannelsTable)->rows) {
            auto* name = std::get_if<std::string>(&row[demo::channels_col::kName]);
            // Latin-1 letters only: the few names between the marks † and ‡ are left out.
            if (name != nullptr && name->find('\xE2') == std::string::npos)
                out.push_back(*name + " " + std::to_string(out.size()));
        }
        return out;
    }();
    return names;
}

const std::vector<std::string>& cyrillicAndGreekNames() {
    static const std::vector<std::string> names = [] {
        const char* stems[] = {"Первый канал",  "Россия 24", "НТВ Мир", "ΕΡΤ Ελληνικά",
                               "Σκάι Ειδήσεις", "Мир ТВ",    "Ἀλφα ΤΒ", "Домашний"};
        std::vector<std::string> out;
        for (int i = 0; i < demo::kMaxDemoChannels; ++i)
            out.push_back(std::string(stems[i % 8]) + " " + std::to_string(i));
        return out;
    }();
    return names;
}

void keyAll(benchmark::State& state, const std::vector<std::string>& names) {
    store::KeyBytes out;
    for (auto _ : state) {
        for (const std::string& name : names) {
            out.clear();
            if (!store::appendGeneralLegacyTextKey(out, name, true).isOk()) {
                state.SkipWithError("a name has no key");
                return;
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(names.size()));
}

void BM_LatinNameKeys(benchmark::State& state) {
    keyAll(state, latinNames());
}
BENCHMARK(BM_LatinNameKeys)->Unit(benchmark::kMillisecond);

void BM_CyrillicAndGreekNameKeys(benchmark::State& state) {
    keyAll(state, cyrillicAndGreekNames());
}
BENCHMARK(BM_CyrillicAndGreekNameKeys)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
