#include "core/explorer/pasted_value.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace velmora::core::explorer {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the UTF-8 sequence starting with `lead`, 0 for a byte that cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The code point of the well-formed sequence at text[i] of `length` bytes, or -1.
int32_t decodeAt(std::string_view text, std::size_t i, int length) {
    if (i + static_cast<std::size_t>(length) > text.size())
        return -1;
    const auto lead = static_cast<unsigned char>(text[i]);
    int32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    static constexpr int32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return cp;
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
    return std::strtod(number.c_str(), nullptr);
}

std::string cutToFieldSize(std::string_view text, int size) {
    int units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const int length = std::max(1, sequenceLength(static_cast<unsigned char>(text[i])));
        const int needed = length == 4 ? 2 : 1;  // a surrogate pair beyond the BMP
        if (units + needed > size)
            break;
        units += needed;
        i += static_cast<std::size_t>(length);
    }
    return std::string(text.substr(0, std::min(i, text.size())));
}

bool isPlainText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const int length = sequenceLength(static_cast<unsigned char>(text[i]));
        if (length == 0)
            return false;
        const int32_t cp = decodeAt(text, i, length);
        if (cp < 0)
            return false;
        if ((cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || cp == 0x7F)
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace velmora::core::explorer
