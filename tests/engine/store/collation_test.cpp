// Text comparison as Jet's General sort order compares.
#include "engine/store/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace velmora::engine::store {
namespace {

TEST(Collation, EqualityFollowsTheIndexCollation) {
    EXPECT_TRUE(textEquals("Sport", "sport"));
    EXPECT_TRUE(textEquals("Straße", "STRASSE"));
    EXPECT_TRUE(textEquals("MÜLLER", "müller"));
    EXPECT_FALSE(textEquals("Müller", "Muller"));
    EXPECT_FALSE(textEquals("co-op", "coop"));
    // Blanks are significant in comparisons, unlike in index keys.
    EXPECT_FALSE(textEquals("(empty) ", "(empty)"));
    EXPECT_FALSE(textEquals(" (empty)", "(empty)"));
}

TEST(Collation, OrderIsGeneralOrder) {
    std::vector<std::string> names = {"Zdf",   "arte",  "3sat", "Ärger",
                                      "Arger", "Argus", "",     "ORF 1"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareText(a, b) < 0; });
    std::vector<std::string> expected = {"",      "3sat", "Arger", "Ärger",
                                         "Argus", "arte", "ORF 1", "Zdf"};
    EXPECT_EQ(names, expected);
    EXPECT_LT(compareText("a", "b"), 0);
    EXPECT_GT(compareText("b", "A"), 0);
}

TEST(Collation, TotalOnUncoveredAndMalformedText) {
    // Characters beyond the Basic Multilingual Plane still compare, after every other one.
    EXPECT_GT(compareText("\xF0\x9F\x8F\x86", "\uFFFD"), 0);
    EXPECT_EQ(compareText("\xF0\x9F\x8F\x86", "\xF0\x9F\x8F\x86"), 0);
    EXPECT_NE(compareText("\xF0\x9F\x8F\x86", "\xF0\x9F\x8F\x87"), 0);
    // Other scripts compare as their index keys do: without regard to case, in their order.
    EXPECT_TRUE(textEquals("ПРИВЕТ", "привет"));
    EXPECT_LT(compareText("Пока", "Привет"), 0);
    EXPECT_GT(compareText("Я", "z"), 0);
    EXPECT_EQ(sortKey("\xFF\xFE"), sortKey("\xFF\xFE"));
    EXPECT_NE(sortKey("\xFF"), sortKey("\xFE"));
}

}  // namespace
}  // namespace velmora::engine::store
