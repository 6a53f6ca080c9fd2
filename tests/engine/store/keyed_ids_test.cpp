// The key tables of the lookup indexes, groupings and unique-key checks against a plain ordered
// map: long random runs of inserts and erases over a small key space (many keys with several
// ids, keys that come and go, gone slots piling up and the table rebuilt), with every key
// checked after each step. HashedIds runs the same steps under a hash that puts about three
// keys on each value, so it is checked to give the ids of all keys sharing a hash.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/store/hashed_ids.h"
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
    HashedIds hashed;
    const auto weakHash = [&](int k) { return uint64_t(k / 3) * 0x9E3779B97F4A7C15ull; };
    std::map<std::string, std::set<RowId>> expected;
    std::map<uint64_t, std::set<HashedIds::Id>> expectedByHash;
    auto keyOf = [](int k) {
        // Binary keys of several lengths, a NUL inside some, as order keys are.
        std::string key(static_cast<size_t>(k % 7) * 5 + 1, static_cast<char>('a' + k % 26));
        key[0] = static_cast<char>(k & 0xff);
        key += std::to_string(k);
        return key;
    };
    for (int step = 0; step < run.steps; ++step) {
        const int k = static_cast<int>(random() % run.keys);
        const std::string key = keyOf(k);
        const RowId id = random() % run.ids;
        if (random() % run.eraseOneIn == 0) {
            table.erase(key, id);
            if (auto it = expected.find(key); it != expected.end()) {
                it->second.erase(id);
                if (it->second.empty())
                    expected.erase(it);
            }
            // Another key of the same hash may still hold the id: HashedIds cannot tell them
            // apart, so it is erased only when no such key holds it.
            bool heldByOther = false;
            for (int other = k / 3 * 3; other < k / 3 * 3 + 3; ++other) {
                const auto it = expected.find(keyOf(other));
                heldByOther = heldByOther || (it != expected.end() && it->second.count(id) != 0);
            }
            if (!heldByOther) {
                hashed.erase(weakHash(k), HashedIds::Id(id));
                if (auto it = expectedByHash.find(weakHash(k)); it != expectedByHash.end()) {
                    it->second.erase(HashedIds::Id(id));
                    if (it->second.empty())
                        expectedByHash.erase(it);
                }
            }
        } else {
            table.insert(key, id);
            expected[key].insert(id);
            hashed.insert(weakHash(k), HashedIds::Id(id));
            expectedByHash[weakHash(k)].insert(HashedIds::Id(id));
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
            const auto foundByHash = hashed.find(weakHash(k));
            const auto byHash = expectedByHash.find(weakHash(k));
            const std::vector<HashedIds::Id> wantByHash =
                byHash == expectedByHash.end()
                    ? std::vector<HashedIds::Id>{}
                    : std::vector<HashedIds::Id>(byHash->second.begin(), byHash->second.end());
            ASSERT_EQ(std::vector<HashedIds::Id>(foundByHash.begin(), foundByHash.end()),
                      wantByHash)
                << run.what << " at step " << step << ", hash of key " << k;
        }
    }
    table.clear();
    hashed.clear();
    EXPECT_EQ(table.keyCount(), 0u);
    EXPECT_TRUE(table.find(keyOf(1)).empty());
    EXPECT_TRUE(hashed.find(weakHash(1)).empty());
}

INSTANTIATE_TEST_SUITE_P(Runs, KeyedIdsRun,
                         ::testing::Values(KeyRun{"one id per key, mostly inserts", 3000, 1000000,
                                                  20000, 10},
                                           KeyRun{"several ids per key", 50, 40, 20000, 3},
                                           KeyRun{"keys that come and go", 400, 2, 40000, 2}),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace velmora::engine::store
