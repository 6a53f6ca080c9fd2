// The one UTF-8 decoder under each of its rules: what the file's texts, the sort keys and
// pasted text each take from the same bytes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/base/text_codec.h"

namespace velmora::engine::text {
namespace {

constexpr uint32_t kRefused = 0xFFFFFFFF;

// The code points of `bytes` under `rule`, kRefused where the rule stops.
std::vector<uint32_t> decodeAll(std::string_view bytes, Utf8Rule rule) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < bytes.size();) {
        const size_t before = i;
        const std::optional<uint32_t> cp = decodeUtf8(bytes, i, rule);
        if (!cp) {
            EXPECT_EQ(i, before) << "a refusal leaves the position where it was";
            out.push_back(kRefused);
            break;
        }
        EXPECT_GT(i, before) << "every code point moves on";
        out.push_back(*cp);
    }
    return out;
}

TEST(Utf8Rule, EachRuleTakesWhatItsCallersNeed) {
    using V = std::vector<uint32_t>;
    struct Case {
        const char* name;
        std::string bytes;
        V lossless, generalised, scalar;
    };
    const Case cases[] = {
        {"ASCII and umlaut", "Ab\xC3\xA4", V{'A', 'b', 0xE4}, V{'A', 'b', 0xE4}, V{'A', 'b', 0xE4}},
        {"beyond the BMP", "\xF0\x9F\x93\xBA", V{0x1F4FA}, V{0x1F4FA}, V{0x1F4FA}},
        {"lone surrogate in generalised form", "\xED\xA0\x80", V{0xD800}, V{0xD800}, V{kRefused}},
        {"overlong slash", "\xC0\xAF", V{0x2F}, V{0x2F}, V{kRefused}},
        {"past U+10FFFF", "\xF4\x90\x80\x80", V{0x110000}, V{0x110000}, V{kRefused}},
        {"stray continuation byte", "a\x80", V{'a', 0x80}, V{'a', kRefused}, V{'a', kRefused}},
        {"truncated at the end", "a\xC3", V{'a', 0xC3}, V{'a', kRefused}, V{'a', kRefused}},
        {"lead without its continuation", "\xE2\x82z", V{0xE2, 0x82, 'z'}, V{kRefused},
         V{kRefused}},
        {"byte that starts nothing", "\xFF", V{0xFF}, V{kRefused}, V{kRefused}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeAll(c.bytes, Utf8Rule::Lossless), c.lossless);
        EXPECT_EQ(decodeAll(c.bytes, Utf8Rule::Generalised), c.generalised);
        EXPECT_EQ(decodeAll(c.bytes, Utf8Rule::Scalar), c.scalar);
    }
    // The UTF-16 forms follow the same rules.
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x93\xBA", Utf8Rule::Scalar), std::u16string(u"\U0001F4FA"));
    EXPECT_EQ(utf8ToUtf16("a\x80", Utf8Rule::Generalised), std::nullopt);
    EXPECT_EQ(utf8ToUtf16("a\x80"), (std::u16string{u'a', char16_t(0x80)}));
}

}  // namespace
}  // namespace velmora::engine::text
