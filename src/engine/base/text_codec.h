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
// The code point of a UTF-8 string at byte `i`, moving `i` past it. Malformed bytes are taken
// one at a time as U+0080..U+00FF-range values of their own number, so no input ever stalls
// a loop.
uint32_t nextCodePoint(std::string_view s, size_t& i);

// Hands every UTF-16 code unit of a UTF-8 text to `unit`, as utf8ToUtf16() would store them,
// for callers that encode a text without building its UTF-16 copy.
template <class Unit>
void forEachUtf16Unit(std::string_view utf8, Unit&& unit) {
    size_t i = 0;
    while (i < utf8.size()) {
        uint32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(char16_t(0xD800 + (cp >> 10)));
            unit(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            unit(char16_t(cp));
        }
    }
}

// UTF-8 to UTF-16 code units, and to UTF-16LE bytes.
std::u16string utf8ToUtf16(std::string_view utf8);
std::vector<uint8_t> encodeUtf16le(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view units);

// A Jet 4 text value: compressed when it starts with FF FE, else UTF-16LE.
std::string decodeJet4Text(Bytes bytes);
// Whether a Jet 4 value is stored in compressed form.
bool isJet4Compressed(Bytes bytes);
// The compressed form (FF FE + one byte per character) when every character is in
// U+0001..U+00FF, else nullopt. The caller decides whether compression applies at all.
std::optional<std::vector<uint8_t>> encodeJet4Compressed(std::string_view utf8);

}  // namespace velmora::engine::text
