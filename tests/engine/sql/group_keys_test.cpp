// The grouping key table against a plain map: random runs of keys, many repeated, with the
// table grown several times on the way; each key keeps the number of its first appearance.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "engine/sql/group_keys.h"

namespace velmora::engine::sql {
namespace {

TEST(GroupKeys, NumbersKeysInTheOrderTheyFirstAppear) {
    struct Run {
        int keys;  // distinct keys drawn from
        int adds;
    };
    for (const Run run : {Run{1, 50}, Run{40, 200}, Run{5000, 20000}}) {
        SCOPED_TRACE(run.keys);
        std::mt19937 random(20261209);
        GroupKeys table;
        std::map<std::string, size_t> expected;
        for (int step = 0; step < run.adds; ++step) {
            const int k = static_cast<int>(random() % run.keys);
            // Binary keys of several lengths, the empty key and NULs among them, as order keys are.
            std::string key(static_cast<size_t>(k % 5) * 3, '\0');
            if (k != 0)
                key += std::to_string(k);
            const size_t number = expected.emplace(key, expected.size()).first->second;
            ASSERT_EQ(table.add(key), number) << step;
            ASSERT_EQ(table.size(), expected.size());
        }
        for (const auto& [key, number] : expected)
            EXPECT_EQ(table.key(number), key);
    }
}

}  // namespace
}  // namespace velmora::engine::sql
