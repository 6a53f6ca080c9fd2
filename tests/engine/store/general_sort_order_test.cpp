// Text index keys of Jet's General sort orders against keys Access wrote.
#include "engine/store/general_sort_order.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/base/error_codes.h"

namespace velmora::engine::store {
namespace {

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

TEST(GeneralLegacyKey, AccentsAreSecondaryAndSharpSEqualsSs) {
    EXPECT_EQ(j4("Müller"), "60 6F 5E 5E 51 69 01 02 13 00");
    EXPECT_EQ(j4("MÜLLER"), j4("Müller"));
    EXPECT_EQ(j4("Mueller"), "60 6F 51 5E 5E 51 69 01 00");
    EXPECT_EQ(j4("Straße"), "6B 6D 69 4A 6B 6B 51 01 00");
    EXPECT_EQ(j4("Strasse"), j4("Straße"));
    EXPECT_EQ(j4("élan"), "51 5E 4A 62 01 0E 00");
    EXPECT_EQ(j4("Zoë"), "78 64 51 01 02 02 13 00");
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

TEST(GeneralLegacyKey, RefusesCharactersOutsideTheTables) {
    Result<KeyBytes> cyrillic = generalLegacyTextKey(std::string_view("Привет"), true);
    ASSERT_FALSE(cyrillic.isOk());
    EXPECT_EQ(cyrillic.status().code(), err::kOperationNotSupported);
    EXPECT_NE(cyrillic.status().message().find("U+041F"), std::string::npos);
    EXPECT_FALSE(generalLegacyCovers(u'\u2020'));
    EXPECT_TRUE(generalLegacyCovers(u'\u2019'));
    EXPECT_FALSE(generalLegacyTextKey(std::string_view("\xC3"), true).isOk());  // cut UTF-8
}

TEST(General97Key, WorkedExamples) {
    EXPECT_EQ(j3("abc"), "60 61 62 00");
    EXPECT_EQ(j3("ABC"), j3("abc"));
    EXPECT_EQ(j3("a b"), "60 11 61 00");
    EXPECT_EQ(j3(""), "00");
    EXPECT_EQ(j3("Müller"), "6F 78 6D 6D 66 75 06 00");
    EXPECT_EQ(j3("Zoë"), "7E 72 66 02 60");
    EXPECT_EQ(j3("Straße"), "76 77 75 60 76 76 66 00");
    EXPECT_EQ(j3("Strasse"), j3("Straße"));
    EXPECT_EQ(j3("Ärger"), "60 75 68 66 75 06 00");
    EXPECT_EQ(j3("élan"), "66 6D 60 70 04 00");
    EXPECT_EQ(j3("don't"), "64 72 70 18 77 00");
    EXPECT_EQ(j3("co-op"), "62 72 1E 72 73 00");
    EXPECT_EQ(j3("abc", false), "9F 9E 9D FF");
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

}  // namespace
}  // namespace velmora::engine::store
