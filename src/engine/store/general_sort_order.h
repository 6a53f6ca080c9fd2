// The "General" text sort orders of Jet, as the byte strings Jet puts into text index keys.
//
// Jet 4 (sort order 1033, version 0, known as General legacy) and Jet 3 (sort order 1033,
// General 97) both turn a text into a key whose unsigned byte order is the collation order:
// case is ignored, accents only break ties, "ß" equals "ss". The same bytes decide whether
// two keys of a unique index collide, and text comparison in the store is built on them, so
// this file sits in the store layer where both the file format and the SQL engine can reach it.
//
// Where the code tables come from. Jet 4's covers the whole Basic Multilingual Plane: it is
// generated (scripts/generate-general-sort-order, into general_sort_order_codes.cpp) from the
// index code lists of the Jackcess project (Apache License 2.0; index_codes_genleg.txt and
// index_codes_ext_genleg.txt), which record the key bytes Access 2000 writes for every code
// point; the keys of the Access-made test files (Latin, Cyrillic, polytonic Greek, kanji and
// kana) are reproduced byte for byte. Characters beyond the plane (surrogate pairs) are
// refused: no Access-made key of one has been checked. Jet 3's table covers every
// Windows-1252 byte (from Jackcess's index_codes_gen_97.txt, checked against Access 97 files);
// a character without a Windows-1252 byte is refused. A refused text is never written with a
// key Jet would not find.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/status.h"

namespace velmora::engine::store {

using KeyBytes = std::vector<uint8_t>;

// The only sort order whose keys we build.
inline constexpr uint16_t kGeneralSortOrder = 1033;

// Jet 4 General legacy key bytes of a text (without the index start flag). Keeps the first
// 255 characters, drops trailing blanks. Descending keys are inverted and end in 0x00.
// 3251 when a character lies beyond the Basic Multilingual Plane.
Result<KeyBytes> generalLegacyTextKey(std::u16string_view text, bool ascending);
Result<KeyBytes> generalLegacyTextKey(std::string_view utf8, bool ascending);
// The same bytes appended to `out`, which is left as it was when the text is refused. Builds
// the key without allocating anything but the room `out` grows by.
Status appendGeneralLegacyTextKey(KeyBytes& out, std::string_view utf8, bool ascending);

// The ascending General legacy bytes of the whole text, trailing blanks and all, for
// comparing texts. Never fails: a character beyond the Basic Multilingual Plane sorts after
// all others.
KeyBytes generalLegacyCollationKey(std::u16string_view text);
// The same bytes appended to `out`; allocates nothing but the room `out` grows by.
void appendGeneralLegacyCollationKey(KeyBytes& out, std::u16string_view text);

// Jet 3 General 97 key bytes of a text given in Windows-1252 bytes.
KeyBytes general97TextKey(std::string_view cp1252, bool ascending);
// The same from UTF-8; 3251 when a character has no Windows-1252 byte.
Result<KeyBytes> general97TextKeyUtf8(std::string_view utf8, bool ascending);
Status appendGeneral97TextKeyUtf8(KeyBytes& out, std::string_view utf8, bool ascending);

// Whether the Jet 4 tables cover this UTF-16 code unit (every one but the surrogates).
bool generalLegacyCovers(char16_t c);

}  // namespace velmora::engine::store
