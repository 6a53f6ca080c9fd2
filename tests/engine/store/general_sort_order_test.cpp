// Text index keys of Jet's General sort orders against keys Access wrote.
#include "engine/store/general_sort_order.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/base/error_codes.h"

namespace velmora::engine::store {
namespace {

using namespace std::string_view_literals;

std::string hex(const KeyBytes& bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

std::string j4(std::string_view utf8, bool ascending = true) {
    Result<KeyBytes> key = generalLegacyTextKey(utf8, ascending);
    EXPECT_TRUE(key.isOk()) << key.status().toString();
    return key.isOk() ? hex(*key) : "";
}

std::string j3(std::string_view utf8, bool ascending = true) {
    Result<KeyBytes> key = general97TextKeyUtf8(utf8, ascending);
    EXPECT_TRUE(key.isOk()) << key.status().toString();
    return key.isOk() ? hex(*key) : "";
}

TEST(GeneralLegacyKey, LettersDigitsBlanksIgnoreCase) {
    EXPECT_EQ(j4("A"), "4A 01 00");
    EXPECT_EQ(j4("a"), "4A 01 00");
    EXPECT_EQ(j4("abc"), "4A 4C 4D 01 00");
    EXPECT_EQ(j4("ABC"), j4("abc"));
    EXPECT_EQ(j4(""), "01 00");
    EXPECT_EQ(j4("a b"), "4A 07 4C 01 00");
    EXPECT_EQ(j4("ab "), j4("ab"));
    EXPECT_EQ(j4("9"), "48 01 00");
}

struct KeyCase {
    std::string_view text;
    const char* key;  // ascending key bytes
};

// General legacy: the accent codes follow the text one byte per character that has key bytes,
// 02 for none, trailing 02s dropped. A ligature is one character there: "ß" holds one
// position where "ss" holds two.
TEST(GeneralLegacyKey, AccentsAreSecondaryAndSharpSEqualsSs) {
    const KeyCase cases[] = {
        {"Müller", "60 6F 5E 5E 51 69 01 02 13 00"},
        {"MÜLLER", "60 6F 5E 5E 51 69 01 02 13 00"},
        {"Mueller", "60 6F 51 5E 5E 51 69 01 00"},
        {"Straße", "6B 6D 69 4A 6B 6B 51 01 00"},
        {"STRASSE", "6B 6D 69 4A 6B 6B 51 01 00"},
        {"élan", "51 5E 4A 62 01 0E 00"},
        {"Zoë", "78 64 51 01 02 02 13 00"},
        {"ßé", "6B 6B 51 01 02 0E 00"},
        {"SSÉ", "6B 6B 51 01 02 02 0E 00"},
        {"æÉ", "4A 51 51 01 02 0E 00"},
        {"AEé", "4A 51 51 01 02 02 0E 00"},
        {"Œuvre à", "64 51 6F 71 69 51 07 4A 01 02 02 02 02 02 02 0F 00"},
        {"œUVRE À", "64 51 6F 71 69 51 07 4A 01 02 02 02 02 02 02 0F 00"},
        {"ÆØßÅ", "4A 51 64 6B 6B 4A 01 02 21 02 1A 00"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(j4(c.text), c.key) << c.text;
    // "Ärger" sorts right after "Arger" and before "Argus".
    Result<KeyBytes> arger = generalLegacyTextKey(std::string_view("Arger"), true);
    Result<KeyBytes> aerger = generalLegacyTextKey(std::string_view("Ärger"), true);
    Result<KeyBytes> argus = generalLegacyTextKey(std::string_view("Argus"), true);
    ASSERT_TRUE(arger.isOk() && aerger.isOk() && argus.isOk());
    EXPECT_LT(*arger, *aerger);
    EXPECT_LT(*aerger, *argus);
}

TEST(GeneralLegacyKey, UnprintablesGoToTheTrailer) {
    EXPECT_EQ(j4("don't"), "4F 64 62 6D 01 01 01 01 80 13 06 80 00");
    EXPECT_EQ(j4("co-op"), "4D 64 64 66 01 01 01 01 80 0F 06 82 00");
    EXPECT_NE(j4("co-op"), j4("coop"));
}

TEST(GeneralLegacyKey, ExtendedCharactersAndDescending) {
    EXPECT_EQ(j4("€5"), "35 A1 40 01 00");
    EXPECT_EQ(j4("abc", false), "B5 B3 B2 FE FF 00");
    EXPECT_EQ(j4("Šta"), j4("šTA"));
}

TEST(GeneralLegacyKey, OnlyTheFirst255CharactersCount) {
    std::string longer(300, 'x');
    std::string exact(255, 'x');
    EXPECT_EQ(j4(longer), j4(exact));
}

// Every script of the Basic Multilingual Plane has keys: most letters two bytes, Arabic and
// Greek letters with accent codes, a kana its size mark in a list of its own, a combining mark
// added to the accent of the letter before it. Key bytes whose last byte would pass 0xFF carry
// into the byte before it and start again at 0x02 (U+4FDC, U+4FDD).
TEST(GeneralLegacyKey, EveryScriptOfTheBasicPlane) {
    const KeyCase cases[] = {
        {"Мир", "79 43 79 3B 79 48 01 00"},
        {"Ωμέγα", "79 23 79 17 79 10 79 0E 79 0C 01 02 02 05 00"},
        {"שלום", "79 A8 79 9F 79 99 79 A0 01 00"},
        {"مرحبا", "79 C6 79 B6 79 B2 79 AC 79 AB 01 08 08 08 08 08 00"},
        {"한국", "AB 75 82 72 01 00"},
        {"漢字", "C0 B6 AC AC 01 00"},
        {"\u4FDC\u4FDD", "A0 FF A1 02 01 00"},
        {"が", "7F 0A 01 03 01 01 FF 02 80 FF 80 00"},
        {"ぁ", "7F 02 01 01 01 A0 FF 02 80 FF 80 00"},
        {"あ", "7F 02 01 01 01 FF 02 80 FF 80 00"},
        {"Ǆ", "4F 78 01 02 14 00"},
        {"\u0301a", "4A 01 0C 00"},
        {"é-x", "51 75 01 0E 01 01 01 80 0B 06 82 00"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(j4(c.text), c.key) << c.text;
    // What a unique index takes for the same text.
    const std::pair<std::string_view, std::string_view> equal[] = {
        {"МИР", "мир"}, {"ΩΜΈΓΑ", "Ωμέγα"}, {"e\u0301", "é"}, {"A\u0308", "Ä"}, {"ア", "あ"}};
    for (const auto& [a, b] : equal)
        EXPECT_EQ(j4(a), j4(b)) << a << " / " << b;
    // Small kana sort before full-size ones, Cyrillic in its alphabet's order.
    EXPECT_LT(*generalLegacyTextKey("ぁ"sv, true), *generalLegacyTextKey("あ"sv, true));
    EXPECT_LT(*generalLegacyTextKey("Мир"sv, true), *generalLegacyTextKey("Новости"sv, true));
}

// Characters beyond the Basic Multilingual Plane (surrogate pairs in UTF-16) have keys we
// cannot build: refused, naming the character; so is a lone surrogate.
TEST(GeneralLegacyKey, RefusesOnlyCharactersBeyondTheBasicPlane) {
    Result<KeyBytes> emoji = generalLegacyTextKey("Sport \xF0\x9F\x8F\x86"sv, true);
    ASSERT_FALSE(emoji.isOk());
    EXPECT_EQ(emoji.status().code(), err::kOperationNotSupported);
    EXPECT_NE(emoji.status().message().find("U+1F3C6"), std::string::npos)
        << emoji.status().message();
    EXPECT_FALSE(generalLegacyTextKey(std::u16string_view(u"a\xDC00"), true).isOk());
    EXPECT_TRUE(generalLegacyCovers(u'\u2020'));
    EXPECT_TRUE(generalLegacyCovers(u'\uFFFF'));
    EXPECT_FALSE(generalLegacyCovers(u'\xD83C'));
    EXPECT_FALSE(generalLegacyTextKey(std::string_view("\xC3"), true).isOk());  // cut UTF-8
}

// Keys of recent texts are kept and handed out again: many more texts than are kept, in two
// orders and both directions, must each give the key it gave the first time, and no key may
// stand for another text or the other direction. A refused text stays refused.
TEST(GeneralLegacyKey, KeptKeysAnswerOnlyForTheirTextAndDirection) {
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i)
        texts.push_back("Quelle " + std::to_string(i));
    std::map<std::pair<std::string, bool>, std::string> first;
    for (bool ascending : {true, false}) {
        for (const std::string& text : texts)
            first[{text, ascending}] = j4(text, ascending);
    }
    std::set<std::string> distinct;
    for (const auto& [which, key] : first)
        distinct.insert(key);
    EXPECT_EQ(distinct.size(), first.size());
    for (size_t n = texts.size(); n-- > 0;) {
        for (bool ascending : {false, true})
            EXPECT_EQ(j4(texts[n], ascending), (first[{texts[n], ascending}])) << texts[n];
    }
    for (int round = 0; round < 2; ++round)
        EXPECT_FALSE(generalLegacyTextKey(std::string_view("Sport \xF0\x9F\x8F\x86"), true).isOk());
}

// General 97: one byte per letter, case ignored; the accent codes follow as nibbles, a 2 for
// each accent position (a letter with accented forms: A C E I N O S U Y) passed without an
// accent. A ligature holds a position per letter it stands for.
TEST(General97Key, KeysOfTheFormatRule) {
    const KeyCase cases[] = {
        {"abc", "60 61 62 00"},
        {"ABC", "60 61 62 00"},
        {"a b", "60 11 61 00"},
        {"", "00"},
        {"Müller", "6F 78 6D 6D 66 75 06 00"},
        {"Zoë", "7E 72 66 02 60"},
        {"Straße", "76 77 75 60 76 76 66 00"},
        {"Strasse", "76 77 75 60 76 76 66 00"},
        {"Ärger", "60 75 68 66 75 06 00"},
        {"élan", "66 6D 60 70 04 00"},
        {"don't", "64 72 70 18 77 00"},
        {"co-op", "62 72 1E 72 73 00"},
        // Expansions before an accent: ß and SS hold two positions, Æ (AE) and Œ (OE) too.
        {"ßé", "76 76 66 02 24 00"},
        {"SSÉ", "76 76 66 02 24 00"},
        {"æÉ", "60 66 66 02 24 00"},
        {"AEé", "60 66 66 02 24 00"},
        {"Œuvre à", "72 66 78 7A 75 66 11 60 02 22 23 00"},
        {"œUVRE À", "72 66 78 7A 75 66 11 60 02 22 23 00"},
        {"ÆØßÅ", "60 66 81 76 76 60 02 22 28 00"},
        // As Access wrote them: a name with ß before an accented letter, and a NUL, which is a
        // control character like the others.
        {"Plutzer Lebensmittelgroßmärkte AG",
         "73 6D 78 77 7E 66 75 11 6D 66 61 66 70 76 6F 6A 77 77 66 6D 68 75 72 76 76 6F 60 75 "
         "6C 77 66 11 60 68 02 22 22 22 22 22 60"},
        {"Lock\0"sv, "6D 72 62 6C 10 00"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(j3(c.text), c.key) << c.text;
    EXPECT_EQ(j3("abc", false), "9F 9E 9D FF");
    EXPECT_EQ(j3("ßé", false), "89 89 99 FD DB FF");
}

TEST(General97Key, Windows1252Mapping) {
    // Š is byte 0x8A in Windows-1252 (I76+0A); a tab and a no-break space equal a blank.
    EXPECT_EQ(j3("Š"), "76 0A 00");
    EXPECT_EQ(j3("a\tb"), j3("a b"));
    EXPECT_EQ(j3("a\xC2\xA0"
                 "b"),
              j3("a b"));
    Result<KeyBytes> outside = general97TextKeyUtf8("Ω", true);
    ASSERT_FALSE(outside.isOk());
    EXPECT_EQ(outside.status().code(), err::kOperationNotSupported);
}

// An index's keys are appended one after another to one buffer: each must come out as the same
// bytes the text has on its own (a descending key inverts only its own bytes), and a refused
// text must leave the buffer as it was.
TEST(TextKeysInOneBuffer, AppendedKeysMatchTheirOwnAndRefusalsLeaveTheBuffer) {
    const std::string_view texts[] = {"Müller", "co-op", "don't", "Straße",
                                      "Zoë",    "",      "€5",    "abПривет",
                                      "aΩ",     "\xC3",  "ab ",   "a\xF0\x9F\x8F\x86"};
    const KeyBytes before = {0xAA, 0x00, 0xFF};
    for (bool jet4 : {true, false}) {
        for (bool ascending : {true, false}) {
            for (std::string_view text : texts) {
                SCOPED_TRACE(std::string(text) + (jet4 ? " jet4" : " jet3") +
                             (ascending ? " asc" : " desc"));
                Result<KeyBytes> alone = jet4 ? generalLegacyTextKey(text, ascending)
                                              : general97TextKeyUtf8(text, ascending);
                KeyBytes buffer = before;
                Status appended = jet4 ? appendGeneralLegacyTextKey(buffer, text, ascending)
                                       : appendGeneral97TextKeyUtf8(buffer, text, ascending);
                ASSERT_EQ(appended.isOk(), alone.isOk());
                KeyBytes expected = before;
                if (alone.isOk())
                    expected.insert(expected.end(), alone->begin(), alone->end());
                else
                    EXPECT_EQ(appended.code(), alone.status().code());
                EXPECT_EQ(hex(buffer), hex(expected));
            }
        }
    }
}

}  // namespace
}  // namespace velmora::engine::store
