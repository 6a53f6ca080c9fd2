// How pasted text is read: the shape of the clip text, the leading number of a piece, the cut
// to a Text field's size and which texts can be pasted at all.
#include "core/explorer/pasted_value.h"

#include <gtest/gtest.h>

#include <string>

#include "core/explorer/paste_rows.h"

namespace velmora::test {
namespace {

using core::explorer::clipShape;
using core::explorer::cutToFieldSize;
using core::explorer::isPlainText;
using core::explorer::leadingNumber;

TEST(PastedText, ShapeCountsFieldsByTabsAndLinesByCarriageReturns) {
    struct Case {
        const char* text;
        int width;
        int lines;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"abc", 0, 1},    // a value without a tab is no field
        {"abc\t", 1, 1},  // the same value followed by a tab is one
        {"a\tb", 2, 1},
        {"a\tb\r", 2, 1},           // a final carriage return starts no line
        {"a\tb\r\rc\td\te", 3, 3},  // an empty line in between counts
        {"\t\t", 2, 1},
        {"a\rb\t", 1, 2},
    };
    for (const Case& c : cases) {
        const auto shape = clipShape(c.text);
        EXPECT_EQ(shape.width, c.width) << c.text;
        EXPECT_EQ(shape.lines, c.lines) << c.text;
    }
}

TEST(PastedText, NumbersAreReadFromTheStartWithAPointAsSeparator) {
    struct Case {
        const char* text;
        double number;
    };
    const Case cases[] = {
        {"12abc", 12}, {"abc", 0},     {"", 0},        {" 1 2.5x", 12.5}, {"-3.25", -3.25},
        {"1,5", 1},    {"2.5.1", 2.5}, {"1e3", 1000},  {"1e", 1},         {"+7", 7},
        {".5", 0.5},   {"-", 0},       {"9750", 9750}, {"1D2", 100},      {"0x10", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(c.text), c.number) << c.text;
}

TEST(PastedText, TextIsCutToTheFieldSizeInCharacters) {
    struct Case {
        std::string text;
        int size;
        std::string cut;
    };
    const Case cases[] = {
        {"abcdef", 4, "abcd"},
        {"abc", 50, "abc"},
        {"Größe", 3, "Grö"},  // umlauts are one character each
        {"a\xF0\x9F\x93\xBA"
         "b",
         2, "a"},  // a character beyond the BMP takes two
        {"a\xF0\x9F\x93\xBA"
         "b",
         3, "a\xF0\x9F\x93\xBA"},
        {"x", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cutToFieldSize(c.text, c.size), c.cut) << c.text;
}

TEST(PastedText, OnlyWellFormedTextWithoutControlCharactersCanBePasted) {
    struct Case {
        std::string text;
        bool plain;
    };
    const Case cases[] = {
        {"Tuner\tDVB\r\n", true},
        {"Straße", true},
        {std::string("a\0b", 3), false},
        {"a\x01"
         "b",
         false},
        {"\xC3", false},          // a sequence cut short
        {"\xC0\xAF", false},      // an overlong form
        {"\xED\xA0\x80", false},  // a surrogate
        {"\xFF\xFE", false},
        {"\x7F", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isPlainText(c.text), c.plain) << c.text;
}

}  // namespace
}  // namespace velmora::test
