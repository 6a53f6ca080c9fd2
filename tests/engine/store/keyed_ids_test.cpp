// The key table of the lookup indexes and unique-key checks against a plain ordered map: long
// random runs of inserts and erases over a small key space (many keys with several ids, keys that
// come and go, gone slots piling up and the table rebuilt), with every key checked after each step.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/store/keyed_ids.h"

namespace velmora::engine::store {
namespace {

struct KeyRun {
    const char* what;
    int keys;  // distinct keys drawn from
    int ids;   // distinct ids drawn from
    int steps;
    int eraseOneIn;
};

class KeyedIdsRun : public ::testing::TestWithParam<KeyRun> {};

TEST_P(KeyedIdsRun, FindsWhatAMapOfSetsHolds) {
    const KeyRun run = GetParam();
    std::mt19937 random(20261208);
    KeyedIds table;
    std::map<std::string, std::set<RowId>> expected;
    auto keyOf = [](int k) {
        // Binary keys of several lengths, a NUL inside some, as order keys are.
        std::string key(static_cast<size_t>(k % 7) * 5 + 1, static_cast<char>('a' + k % 26));
        key[0] = static_cast<char>(k & 0xff);
        key += std::to_string(k);
        return key;
    };
    for (int step = 0; step < run.steps; ++step) {
        const std::string key = keyOf(static_cast<int>(random() % run.keys));
        const RowId id = random() % run.ids;
        if (random() % run.eraseOneIn == 0) {
            table.erase(key, id);
            if (auto it = expected.find(key); it != expected.end()) {
                it->second.erase(id);
                if (it->second.empty())
                    expected.erase(it);
            }
        } else {
            table.insert(key, id);
            expected[key].insert(id);
        }
        if (step % 97 != 0 && step != run.steps - 1)
            continue;
        ASSERT_EQ(table.keyCount(), expected.size()) << run.what << " at step " << step;
        for (int k = 0; k < run.keys; ++k) {
            const std::string probe = keyOf(k);
            const auto found = table.find(probe);
            const auto it = expected.find(probe);
            const std::vector<RowId> want =
                it == expected.end() ? std::vector<RowId>{}
                                     : std::vector<RowId>(it->second.begin(), it->second.end());
            ASSERT_EQ(std::vector<RowId>(found.begin(), found.end()), want)
                << run.what << " at step " << step << ", key " << k;
        }
    }
    table.clear();
    EXPECT_EQ(table.keyCount(), 0u);
    EXPECT_TRUE(table.find(keyOf(1)).empty());
}

INSTANTIATE_TEST_SUITE_P(Runs, KeyedIdsRun,
                         ::testing::Values(KeyRun{"one id per key, mostly inserts", 3000, 1000000,
                                                  20000, 10},
                                           KeyRun{"several ids per key", 50, 40, 20000, 3},
                                           KeyRun{"keys that come and go", 400, 2, 40000, 2}),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace velmora::engine::store
