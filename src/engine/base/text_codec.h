// Text codecs for Jet files: single-byte Windows code pages (Jet 3 text and names), UTF-16LE
// (Jet 4) and Jet 4's "compressed Unicode" (FF FE, then one byte per character with 0x00
// toggling to and from plain UTF-16 pairs).
//
// Decoding is lossless so that the writer can store an untouched value again byte for byte:
// - a code-page byte the code page leaves undefined decodes to the control character of the
//   same number (as Windows' MultiByteToWideChar does), and encodes back to that byte;
// - an unpaired UTF-16 surrogate decodes to its three-byte generalised UTF-8 form and encodes
//   back to the same code unit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/coding.h"

namespace velmora::engine::text {

// Code pages with their own table; any other number falls back to Windows-1252, which is what
// Jet 3 writers on Western machines used and never fails to decode.
bool hasCodePageTable(uint16_t codePage);

// Bytes in `codePage` to UTF-8.
std::string decodeCodePage(Bytes bytes, uint16_t codePage);
// UTF-8 to bytes in `codePage`; nullopt when a character has no byte in that code page.
std::optional<std::vector<uint8_t>> encodeCodePage(std::string_view utf8, uint16_t codePage);

// UTF-16LE to UTF-8 (an odd trailing byte is dropped).
std::string decodeUtf16le(Bytes bytes);
// What a UTF-8 decoder makes of bytes that are not a sequence it takes.
enum class Utf8Rule {
    // Every byte string decodes: a byte that starts no whole sequence is the code point of its
    // own number (U+0080..U+00FF), so no input stalls a loop and a text read from the file
    // goes back byte for byte.
    Lossless,
    // Whole sequences only: a lead byte and its continuation bytes, the generalised form of a
    // lone surrogate (as decodeUtf16le() writes one) included; anything else is refused. For
    // keys, which must not guess at a character.
    Generalised,
    // Unicode scalar values only: no overlong form, surrogate or value past U+10FFFF. For text
    // from outside the program (the clipboard).
    Scalar,
};

// The code point at byte `i` of `s` under `rule`, moving `i` past it; nullopt, with `i` where
// it was, where the rule refuses the bytes there (never under Lossless).
inline std::optional<uint32_t> decodeUtf8(std::string_view s, size_t& i, Utf8Rule rule) {
    const auto b0 = uint8_t(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    // Continuation bytes after the lead, and the lead's own bits.
    const size_t extra = (b0 & 0xE0) == 0xC0   ? 1
                         : (b0 & 0xF0) == 0xE0 ? 2
                         : (b0 & 0xF8) == 0xF0 ? 3
                                               : 0;
    uint32_t cp = b0 & (0x3F >> extra);
    bool whole = extra > 0 && i + extra < s.size();
    for (size_t k = 1; whole && k <= extra; ++k) {
        const auto b = uint8_t(s[i + k]);
        whole = (b & 0xC0) == 0x80;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (whole && rule == Utf8Rule::Scalar) {
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        whole = cp >= kSmallest[extra] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    }
    if (whole) {
        i += extra + 1;
        return cp;
    }
    if (rule != Utf8Rule::Lossless)
        return std::nullopt;
    ++i;
    return b0;
}

// Hands every UTF-16 code unit of a UTF-8 text decoded under `rule` to `unit`, for callers
// that encode a text without building its UTF-16 copy; false, after the units before it,
// where the rule refuses a byte.
template <class Unit>
bool forEachUtf16Unit(std::string_view utf8, Utf8Rule rule, Unit&& unit) {
    for (size_t i = 0; i < utf8.size();) {
        const std::optional<uint32_t> decoded = decodeUtf8(utf8, i, rule);
        if (!decoded)
            return false;
        const uint32_t cp = *decoded;
        if (cp >= 0x10000) {
            unit(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            unit(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            unit(char16_t(cp));
        }
    }
    return true;
}

// The same by Utf8Rule::Lossless, as utf8ToUtf16() stores a text.
template <class Unit>
void forEachUtf16Unit(std::string_view utf8, Unit&& unit) {
    forEachUtf16Unit(utf8, Utf8Rule::Lossless, unit);
}

// UTF-8 to UTF-16 code units under `rule`; nullopt where the rule refuses a byte.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8, Utf8Rule rule);
// UTF-8 to UTF-16 code units by Utf8Rule::Lossless, and to UTF-16LE bytes.
std::u16string utf8ToUtf16(std::string_view utf8);
std::vector<uint8_t> encodeUtf16le(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view units);
// Appends the UTF-8 form of `cp` (a lone surrogate in its generalised three-byte form).
void appendUtf8(std::string& out, uint32_t cp);

// A Jet 4 text value: compressed when it starts with FF FE, else UTF-16LE.
std::string decodeJet4Text(Bytes bytes);
// The same into `out`, reusing its storage.
void decodeJet4TextInto(Bytes bytes, std::string& out);
// Whether a Jet 4 value is stored in compressed form.
bool isJet4Compressed(Bytes bytes);
// For a compressed Jet 4 value that stays in one-byte letters throughout (no 0x00 switch to
// UTF-16LE pairs), as most names are: the length of its UTF-8 form; nullopt for any other
// value, which decodeJet4TextInto() decodes. Lets a caller decode into room of its own.
std::optional<size_t> jet4OneByteUtf8Length(Bytes bytes);
// Writes the UTF-8 form of such a value, of that length, at `out`.
void writeJet4OneByteUtf8(Bytes bytes, size_t utf8Length, char* out);
// The compressed form (FF FE + one byte per character) when every character is in
// U+0001..U+00FF, else nullopt. The caller decides whether compression applies at all.
std::optional<std::vector<uint8_t>> encodeJet4Compressed(std::string_view utf8);

}  // namespace velmora::engine::text
