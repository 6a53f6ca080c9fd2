// The demo database's content: determinism, and the kinds of channels, groups and
// assignments the editor's commands rely on finding there.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "demo/demo_generator.h"
#include "demo/demo_schema.h"

namespace velmora::demo {
namespace {

using engine::store::Row;
using engine::store::Value;

const std::string kDagger = "\u2020";
const std::string kDoubleDagger = "\u2021";

const std::string& text(const Row& row, size_t col) {
    return std::get<std::string>(row[col]);
}
int64_t number(const Row& row, size_t col) {
    return std::get<int64_t>(row[col]);
}

using Identity = std::tuple<std::string, int64_t, int64_t>;  // SOURCEID, SID, NID

Identity channelIdentity(const Row& r) {
    return {text(r, channels_col::kSourceId), number(r, channels_col::kSid),
            number(r, channels_col::kNid)};
}
Identity favouriteIdentity(const Row& r) {
    return {text(r, favourite_col::kSourceId), number(r, favourite_col::kSid),
            number(r, favourite_col::kNid)};
}

DemoDatabase generate(int channels, uint64_t seed) {
    auto demo = generateDemoDatabase({channels, seed, true});
    EXPECT_TRUE(demo.isOk()) << demo.status().toString();
    return std::move(demo).value();
}

TEST(DemoContent, SameSeedSameRowsOtherSeedOtherRows) {
    const DemoDatabase a = generate(1500, 7);
    const DemoDatabase b = generate(1500, 7);
    const DemoDatabase c = generate(1500, 8);
    ASSERT_EQ(a.tables.size(), 4u);
    ASSERT_EQ(b.tables.size(), 4u);
    for (size_t t = 0; t < a.tables.size(); ++t) {
        EXPECT_EQ(a.tables[t].schema.name, b.tables[t].schema.name);
        EXPECT_EQ(a.tables[t].rows, b.tables[t].rows) << a.tables[t].schema.name;
    }
    EXPECT_NE(a.find(kChannelsTable)->rows, c.find(kChannelsTable)->rows);
    EXPECT_NE(a.find(kFavouriteTable)->rows, c.find(kFavouriteTable)->rows);
}

TEST(DemoContent, ChannelCountOutOfRangeIsRefused) {
    for (int n : {0, -1, kMaxDemoChannels + 1}) {
        auto demo = generateDemoDatabase({n, 1, true});
        ASSERT_FALSE(demo.isOk()) << n;
        EXPECT_EQ(demo.status().code(), 3001);
    }
}

// Every rule the commands depend on, for several seeds at the default size.
class DemoContentRules : public ::testing::TestWithParam<uint64_t> {};

TEST_P(DemoContentRules, ChannelsHoldEveryKind) {
    const DemoDatabase demo = generate(kDefaultDemoChannels, GetParam());
    const auto& rows = demo.find(kChannelsTable)->rows;
    ASSERT_EQ(rows.size(), size_t(kDefaultDemoChannels));

    std::vector<int64_t> numbers;
    size_t radio = 0, encrypted = 0, empty = 0, nearEmpty = 0, daggered = 0, daggeredWithBlank = 0,
           plus = 0;
    std::set<std::string> sourcesSeen;
    std::map<Identity, std::set<int64_t>> frequencies;
    std::string allNames;
    for (const Row& r : rows) {
        numbers.push_back(number(r, channels_col::kChannelNum));
        radio += number(r, channels_col::kVideoId) == 0;
        encrypted += number(r, channels_col::kEcm) != 0;
        const std::string& name = text(r, channels_col::kName);
        allNames += name + "\n";
        empty += name == "(empty)";
        nearEmpty += name == "(empty) ";
        if (name.rfind(kDagger, 0) == 0 && name.find(kDoubleDagger) != std::string::npos) {
            ++daggered;
            daggeredWithBlank += name.back() == ' ';
        }
        plus += !name.empty() && name.back() == '+';
        sourcesSeen.insert(text(r, channels_col::kSourceId));
        EXPECT_TRUE(
            frequencies[channelIdentity(r)].insert(number(r, channels_col::kFrequency)).second)
            << "a channel twice on one frequency";
    }
    std::sort(numbers.begin(), numbers.end());
    for (size_t i = 0; i < numbers.size(); ++i)
        ASSERT_EQ(numbers[i], int64_t(i + 1)) << "channel numbers are not 1..N";

    const double n = double(rows.size());
    EXPECT_GT(radio / n, 0.20);
    EXPECT_LT(radio / n, 0.30);
    EXPECT_GT(encrypted / n, 0.28);
    EXPECT_LT(encrypted / n, 0.39);
    EXPECT_GE(empty, 2u);
    EXPECT_LE(empty, 12u);
    EXPECT_EQ(nearEmpty, 1u);
    EXPECT_GE(daggered, 2u);
    EXPECT_EQ(daggeredWithBlank, 1u);
    EXPECT_GE(plus, 2u);
    EXPECT_GE(sourcesSeen.size(), 4u);
    for (const char* letter : {"Ä", "Ö", "Ü", "ä", "ö", "ü", "ß"})
        EXPECT_NE(allNames.find(letter), std::string::npos) << letter;

    size_t onTwo = 0, onThree = 0;
    for (const auto& [id, freqs] : frequencies) {
        EXPECT_LE(freqs.size(), 3u);
        onTwo += freqs.size() == 2;
        onThree += freqs.size() == 3;
    }
    EXPECT_GE(onTwo, 1u);
    EXPECT_GE(onThree, 1u);
    EXPECT_LE(onTwo + onThree, 30u) << "duplicates should be a few";
}

TEST_P(DemoContentRules, GroupsAndAssignments) {
    const DemoDatabase demo = generate(kDefaultDemoChannels, GetParam());
    const auto& groups = demo.find(kFavnameTable)->rows;
    const auto& favourites = demo.find(kFavouriteTable)->rows;
    const auto& channels = demo.find(kChannelsTable)->rows;

    ASSERT_GE(groups.size(), 8u);
    ASSERT_LE(groups.size(), 15u);
    std::set<std::string> names;
    size_t trailingBlank = 0;
    for (const Row& g : groups) {
        const std::string& name = text(g, favname_col::kFavName);
        EXPECT_TRUE(names.insert(name).second) << "group twice: " << name;
        trailingBlank += name.back() == ' ';
    }
    EXPECT_EQ(trailingBlank, 1u);

    std::map<Identity, size_t> channelRows;
    for (const Row& c : channels)
        ++channelRows[channelIdentity(c)];

    std::map<std::string, std::vector<int64_t>> positions;
    std::map<Identity, std::set<std::string>> groupsOf;
    size_t dangling = 0, multiFrequencyAssigned = 0;
    for (const Row& f : favourites) {
        const std::string& group = text(f, favourite_col::kFavName);
        EXPECT_TRUE(names.count(group)) << "assignment to an unknown group '" << group << "'";
        positions[group].push_back(number(f, favourite_col::kNum));
        const Identity id = favouriteIdentity(f);
        EXPECT_TRUE(groupsOf[id].insert(group).second) << "a channel twice in one group";
        const auto it = channelRows.find(id);
        dangling += it == channelRows.end();
        multiFrequencyAssigned += it != channelRows.end() && it->second > 1;
    }
    // Exactly one group has no assignment; every other holds positions 1..m.
    EXPECT_EQ(positions.size(), groups.size() - 1);
    for (auto& [group, nums] : positions) {
        std::sort(nums.begin(), nums.end());
        for (size_t i = 0; i < nums.size(); ++i)
            EXPECT_EQ(nums[i], int64_t(i + 1)) << group;
    }
    EXPECT_TRUE(
        positions.count(text(*std::find_if(groups.begin(), groups.end(),
                                           [](const Row& g) { return text(g, 0).back() == ' '; }),
                             0)))
        << "the group with a trailing blank should have assignments";

    size_t inSeveral = 0;
    for (const auto& [id, in] : groupsOf)
        inSeveral += in.size() >= 2;
    EXPECT_GE(inSeveral, 2u);
    EXPECT_GE(dangling, 1u);
    EXPECT_LE(dangling, 10u);
    EXPECT_GE(multiFrequencyAssigned, 2u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, DemoContentRules, ::testing::Values(1u, 2u, 42u, 20261208u));

TEST(DemoContent, SmallListsStillHoldTheMainKinds) {
    for (int n : {1, 3, 9}) {
        const DemoDatabase demo = generate(n, 5);
        EXPECT_EQ(demo.find(kChannelsTable)->rows.size(), size_t(n));
        EXPECT_GE(demo.find(kFavnameTable)->rows.size(), 8u);
    }
    // From 20 channels on, the rare kinds are there too.
    const DemoDatabase demo = generate(20, 5);
    const auto& rows = demo.find(kChannelsTable)->rows;
    ASSERT_EQ(rows.size(), 20u);
    std::map<Identity, int> perIdentity;
    bool empty = false, daggered = false, plus = false;
    for (const Row& r : rows) {
        ++perIdentity[channelIdentity(r)];
        const std::string& name = text(r, channels_col::kName);
        empty |= name == "(empty)";
        daggered |= name.find(kDagger) != std::string::npos;
        plus |= name.back() == '+';
    }
    EXPECT_TRUE(empty);
    EXPECT_TRUE(daggered);
    EXPECT_TRUE(plus);
    EXPECT_TRUE(std::any_of(perIdentity.begin(), perIdentity.end(),
                            [](const auto& e) { return e.second == 3; }));
}

}  // namespace
}  // namespace velmora::demo
