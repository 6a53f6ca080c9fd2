// One row's packed texts: every slot reads back what was put there, whatever the order of the
// changes, and a text taken from the row itself survives the row being laid out again.
#include "core/grid/row_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::core::grid {
namespace {

// The texts of slots 0 .. n-1 as strings.
std::vector<std::string> slots(const RowTexts& row, std::size_t n) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < n; ++i)
        out.emplace_back(row.at(i));
    return out;
}

TEST(RowTextsTest, SlotsReadBackWhatWasSetInAnyOrder) {
    struct Step {
        std::size_t slot;
        std::string text;
    };
    struct Case {
        const char* name;
        std::vector<std::string> start;
        std::vector<Step> steps;
        std::vector<std::string> expected;  // slots 0 .. 4
        std::size_t count;                  // slots the block keeps
    };
    const std::string longName(70000, 'x');  // beyond any 16-bit offset
    const Case cases[] = {
        {"built from pieces", {"", "12", "ARD", ""}, {}, {"", "12", "ARD", "", ""}, 3},
        {"no text keeps no slot", {"", ""}, {}, {"", "", "", "", ""}, 0},
        {"a slot beyond the end grows the row", {"a"}, {{3, "d"}}, {"a", "", "", "d", ""}, 4},
        {"a longer and a shorter text in the middle",
         {"a", "bb", "c"},
         {{1, "BBBBBBBBBBBBBBBBBBBB"}, {0, ""}},
         {"", "BBBBBBBBBBBBBBBBBBBB", "c", "", ""},
         3},
        {"a text as long as the one it replaces",
         {"a", "12", "c"},
         {{1, "34"}, {2, "d"}},
         {"a", "34", "d", "", ""},
         3},
        {"emptying the last slots drops them",
         {"a", "b", "c"},
         {{2, ""}, {1, ""}},
         {"a", "", "", "", ""},
         1},
        {"emptying every slot", {"a", "b"}, {{0, ""}, {1, ""}}, {"", "", "", "", ""}, 0},
        {"a text longer than 64 KiB",
         {"a", "b"},
         {{1, longName}, {2, "c"}},
         {"a", longName, "c", "", ""},
         3},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> views(c.start.begin(), c.start.end());
        RowTexts row(views);
        for (const Step& step : c.steps)
            row.set(step.slot, step.text);
        EXPECT_EQ(slots(row, 5), c.expected) << c.name;
        EXPECT_EQ(row.count(), c.count) << c.name;
    }
}

TEST(RowTextsTest, TextsOfTheRowItselfAndTruncation) {
    const std::vector<std::string_view> start = {"data", "one", "two", "three"};
    RowTexts row(start);
    // The row's own text as the new one: read while the new block is laid out.
    row.set(1, row.at(3));
    row.set(3, row.at(0));
    EXPECT_EQ(slots(row, 4), (std::vector<std::string>{"data", "three", "two", "data"}));

    // A move keeps the texts where they are, so views into them stay good.
    const std::string_view two = row.at(2);
    RowTexts moved = std::move(row);
    EXPECT_EQ(two, "two");
    EXPECT_EQ(moved.at(2).data(), two.data());

    moved.truncate(2);
    EXPECT_EQ(slots(moved, 4), (std::vector<std::string>{"data", "three", "", ""}));
    moved.truncate(9);  // longer than the row: nothing changes
    EXPECT_EQ(moved.count(), 2u);
}

}  // namespace
}  // namespace velmora::core::grid
