#include "core/editing/text_search.h"

#include "engine/base/text_codec.h"

namespace velmora::core::editing {

namespace {

char16_t lower(char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c < 0xC0) {
        return c;
    }
    // Latin-1: À..Þ without the multiplication sign.
    if (c <= 0xDE) {
        return c == 0xD7 ? c : static_cast<char16_t>(c + 0x20);
    }
    // Latin Extended-A: pairs of capital (even) and small (odd) letters, except the stretch
    // 0x139..0x148 and 0x179..0x17E where the capital is odd; 0x130 (İ) and 0x178 (Ÿ) apart.
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) {
            return u'i';
        }
        if (c == 0x178) {
            return 0xFF;
        }
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool capital = oddCapitals ? (c % 2 == 1) : (c % 2 == 0);
        const bool paired = c != 0x138 && c != 0x149 && c != 0x17F;
        return capital && paired ? static_cast<char16_t>(c + 1) : c;
    }
    // Greek capitals Α..Ω (without the gap at 0x3A2) and Cyrillic Ѐ..Џ, А..Я.
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 0x50);
    }
    if (c == 0x1E9E) {
        return 0xDF;  // capital sharp s
    }
    return c;
}

}  // namespace

std::u16string foldCase(std::string_view utf8) {
    std::u16string units = engine::text::utf8ToUtf16(utf8);
    for (char16_t& c : units) {
        c = lower(c);
    }
    return units;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return foldCase(text).find(foldCase(part)) != std::u16string::npos;
}

}  // namespace velmora::core::editing
