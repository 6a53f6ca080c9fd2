#include "core/explorer/pasted_value.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "engine/base/number_text.h"
#include "engine/base/text_codec.h"

namespace velmora::core::explorer {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double leadingNumber(std::string_view text) {
    std::string number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    bool digits = false;
    bool point = false;
    for (skipBlanks(); i < text.size(); skipBlanks()) {
        const char c = text[i];
        if (isDigit(c)) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number += c;
        ++i;
    }
    if (!digits)
        return 0.0;
    // An exponent counts only with at least one digit after it.
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        while (j < text.size() && text[j] == ' ')
            ++j;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        bool exponentDigits = false;
        for (; j < text.size(); ++j) {
            if (isDigit(text[j])) {
                exponentDigits = true;
                exponent += text[j];
            } else if (text[j] != ' ') {
                break;
            }
        }
        if (exponentDigits)
            number += exponent;
    }
    // Digits too many for a double are an infinite value, of the number's sign.
    if (const std::optional<double> value = engine::readNumber(number))
        return *value;
    return number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
}

std::string cutToFieldSize(std::string_view text, int size) {
    int units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t next = i;
        const uint32_t cp = *engine::text::decodeUtf8(text, next, engine::text::Utf8Rule::Lossless);
        const int needed = cp >= 0x10000 ? 2 : 1;  // a surrogate pair beyond the BMP
        if (units + needed > size)
            break;
        units += needed;
        i = next;
    }
    return std::string(text.substr(0, i));
}

bool isPlainText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::optional<uint32_t> cp =
            engine::text::decodeUtf8(text, i, engine::text::Utf8Rule::Scalar);
        if (!cp)
            return false;
        if ((*cp < 0x20 && *cp != '\t' && *cp != '\r' && *cp != '\n') || *cp == 0x7F)
            return false;
    }
    return true;
}

}  // namespace velmora::core::explorer
