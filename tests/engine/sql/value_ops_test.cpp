// Jet's value rules inside statements: the order keys that hash lookups, grouping and sorting
// rely on must agree with value comparison, and LIKE follows Jet's wildcards.
#include <gtest/gtest.h>

#include "engine/sql/value_ops.h"

#include <optional>

#include "engine/store/collation.h"

namespace velmora::engine::sql {
namespace {

using store::Value;

std::vector<Value> sample() {
    return {
        Value(store::Null{}),
        Value(int64_t{-40000}),
        Value(-2.5),
        Value(int64_t{-1}),
        Value(true),  // -1 in Jet
        Value(int64_t{0}),
        Value(-0.0),
        Value(false),
        Value(0.25f),
        Value(int64_t{1}),
        Value(store::Currency{15000}),  // 1.5
        Value(store::DateTime{45000.5}),
        Value(int64_t{1} << 40),
        Value(std::string("")),
        Value(std::string("(empty)")),
        Value(std::string("abc")),
        Value(std::string("ABC")),
        Value(std::string("abc ")),
        Value(std::string("Strasse")),
        Value(std::string("Straße")),
        Value(std::string("Öl")),
        Value(std::string("Ol")),
        Value(std::string("Zdf")),
        // Binary keys escape their NUL bytes: a prefix and a NUL run must still sort first.
        Value(store::Blob{}),
        Value(store::Blob{0x00}),
        Value(store::Blob{0x00, 0x00}),
        Value(store::Blob{0x00, 0x01}),
        Value(store::Blob{0x01, 0x00, 0x02}),
        Value(store::Blob{0x01, 0x00, 0x02, 0x00}),
    };
}

TEST(OrderKey, AgreesWithComparisonOnEveryPair) {
    const auto values = sample();
    for (const auto& a : values) {
        for (const auto& b : values) {
            const int byValue = orderValues(a, b);
            const int byKey = orderKey(a).compare(orderKey(b));
            EXPECT_EQ(byValue < 0, byKey < 0) << displayText(a) << " vs " << displayText(b);
            EXPECT_EQ(byValue == 0, byKey == 0) << displayText(a) << " vs " << displayText(b);
        }
    }
}

TEST(OrderKey, TuplesCompareLexicographically) {
    // A shorter first text must not let the second value decide.
    std::string ab, a_z;
    appendOrderKey(ab, Value(std::string("ab")));
    appendOrderKey(ab, Value(int64_t{1}));
    appendOrderKey(a_z, Value(std::string("a")));
    appendOrderKey(a_z, Value(std::string("z")));
    EXPECT_GT(ab, a_z);
}

TEST(Equality, NullEqualsNothingAndTextIgnoresCase) {
    EXPECT_FALSE(equalityKey(Value(store::Null{})).has_value());
    EXPECT_EQ(equalityKey(Value(std::string("sport"))), equalityKey(Value(std::string("Sport"))));
    EXPECT_EQ(equalityKey(Value(int64_t{5})), equalityKey(Value(5.0)));
    EXPECT_NE(equalityKey(Value(std::string("(empty) "))),
              equalityKey(Value(std::string("(empty)"))));
    EXPECT_EQ(compareValues(Value(int64_t{5}), Value(std::string("5"))).status().code(), 3464);
}

TEST(Like, JetWildcards) {
    EXPECT_TRUE(likeMatches("Sport1", "sport*"));
    EXPECT_TRUE(likeMatches("ORF2", "ORF?"));
    EXPECT_FALSE(likeMatches("ORF", "ORF?"));
    EXPECT_TRUE(likeMatches("Kanal 7", "Kanal #"));
    EXPECT_FALSE(likeMatches("Kanal X", "Kanal #"));
    EXPECT_TRUE(likeMatches("b", "[a-c]"));
    EXPECT_FALSE(likeMatches("b", "[!a-c]"));
    EXPECT_TRUE(likeMatches("Ö1", "ö?"));
    EXPECT_TRUE(likeMatches("a*b", "a[*]b"));
    EXPECT_FALSE(likeMatches("axb", "a[*]b"));
    EXPECT_TRUE(likeMatches("", "*"));
}

TEST(DisplayText, AsTheGridShowsValues) {
    EXPECT_EQ(displayText(Value(store::Null{})), "");
    EXPECT_EQ(displayText(Value(int64_t{-12})), "-12");
    EXPECT_EQ(displayText(Value(2.5)), "2.5");
    EXPECT_EQ(displayText(Value(0.1f)), "0.1");
    EXPECT_EQ(displayText(Value(store::Currency{-12345})), "-1.2345");
    EXPECT_EQ(displayText(Value(store::Currency{20000})), "2");
    EXPECT_EQ(displayText(Value(store::DateTime{2.0})), "1900-01-01");
    EXPECT_EQ(displayText(Value(store::DateTime{45351.75})), "2024-02-29 18:00:00");
    EXPECT_EQ(displayText(Value(true)), "True");
}

TEST(OrderKey, GivesBackTheCollationKeyOfOneTextAlone) {
    for (const Value& v : sample()) {
        const auto* text = std::get_if<std::string>(&v);
        const std::optional<std::string> key = textSortKeyOf(orderKey(v));
        EXPECT_EQ(key.has_value(), text != nullptr) << displayText(v);
        if (text && key) {
            EXPECT_EQ(*key, store::sortKey(*text)) << *text;
        }
    }
    // Two texts' key is not one text's.
    std::string tuple;
    appendOrderKey(tuple, Value(std::string("ab")));
    appendOrderKey(tuple, Value(std::string("c")));
    EXPECT_EQ(textSortKeyOf(tuple), std::nullopt);
}

}  // namespace
}  // namespace velmora::engine::sql
