// The one rule for blanks around a text and the one rule for reading a text as a number.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "engine/base/blanks.h"
#include "engine/base/number_text.h"

namespace velmora::engine {
namespace {

TEST(Blanks, OnlyTheBlankCharacterIsTrimmed) {
    struct Case {
        const char* text;
        const char* trimmed;
        const char* endTrimmed;  // what keys and comparisons keep
    };
    const Case cases[] = {
        {"  Sport  ", "Sport", "  Sport"},
        {"   ", "", ""},
        {"", "", ""},
        {"a b", "a b", "a b"},
        {"\tTab", "\tTab", "\tTab"},
        {"(empty) ", "(empty)", "(empty)"},
        {" x\t ", "x\t", " x\t"},
        {"Rock ' n", "Rock ' n", "Rock ' n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trimBlanks(c.text), c.trimmed) << "'" << c.text << "'";
        EXPECT_EQ(trimmedView(c.text), c.trimmed) << "'" << c.text << "'";
        EXPECT_EQ(withoutTrailingBlanks(std::string_view(c.text)), c.endTrimmed) << c.text;
        const std::string text = c.text, end = c.endTrimmed;
        const std::u16string wide(text.begin(), text.end());
        EXPECT_EQ(withoutTrailingBlanks(std::u16string_view(wide)),
                  std::u16string(end.begin(), end.end()))
            << c.text;
    }
}

TEST(NumberText, ReadsNumbersAndNothingElse) {
    struct Case {
        const char* text;
        std::optional<double> value;
        const char* bare;  // what goes into a statement; nullptr when nothing may
    };
    const Case cases[] = {
        {"9", 9, "9"},
        {" 42 ", 42, "42"},
        {"-3.5", -3.5, "-3.5"},
        {"+7", 7, "+7"},
        {"007", 7, "007"},
        {"-0", 0, "-0"},
        {"999999999999999", 999999999999999.0, "999999999999999"},
        {"12345678901234567890", 12345678901234567890.0, "12345678901234567890"},
        {"+", {}, nullptr},
        {".5", 0.5, ".5"},
        {"1.", 1, "1."},
        {"1E3", 1000, "1E3"},
        {"2.5e-1", 0.25, "2.5e-1"},
        {"1e-400", 0, "1e-400"},
        {"0.0000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "0000000000000000000000000000000000000000000000000000000000000000000000000000001",
         0, nullptr},  // too small: 0, and the text goes in as it is
        {"1e400", {}, nullptr},
        {"-1e400", {}, nullptr},
        {"", {}, nullptr},
        {"  ", {}, nullptr},
        {"\t12", {}, nullptr},  // a tab is not a blank
        {"12abc", {}, nullptr},
        {"1,5", {}, nullptr},
        {"-", {}, nullptr},
        {"1e", {}, nullptr},
        {"1.2.3", {}, nullptr},
        {"inf", {}, nullptr},
        {"nan", {}, nullptr},
        {"0x10", {}, nullptr},
        {"1 2", {}, nullptr},
        {"1 OR 1=1", {}, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readNumber(c.text), c.value) << "'" << c.text << "'";
        const auto bare = numberText(c.text);
        if (c.bare) {
            EXPECT_EQ(bare, std::optional<std::string_view>(c.bare)) << "'" << c.text << "'";
        } else if (c.value) {
            EXPECT_EQ(bare, trimmedView(c.text)) << "'" << c.text << "'";
        } else {
            EXPECT_FALSE(bare) << "'" << c.text << "'";
        }
    }
    // Zero keeps its sign, as the general parser gives it.
    EXPECT_TRUE(std::signbit(*readNumber("-0")));
    EXPECT_FALSE(std::signbit(*readNumber("+0")));
}

}  // namespace
}  // namespace velmora::engine
