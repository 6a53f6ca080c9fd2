// Text comparison the way Jet's General sort order compares: without regard to letter case,
// with accents deciding only between otherwise equal texts, and with "ß" equal to "ss".
// SQL comparisons (=, <, ORDER BY, GROUP BY) and uniqueness checks on texts use this, so that
// what a query calls equal is what a unique index refuses as a duplicate.
//
// Unlike index keys, comparison keeps trailing blanks: "(empty) " is not "(empty)".
#pragma once

#include <string>
#include <string_view>

namespace velmora::engine::store {

// Negative, zero or positive as a sorts before, equal to or after b (UTF-8 input).
int compareText(std::string_view a, std::string_view b);

inline bool textEquals(std::string_view a, std::string_view b) {
    return compareText(a, b) == 0;
}

// Bytes whose plain byte order (std::string's operator<) is the collation order of the texts;
// equal texts give equal keys, so it can key hash maps and sorted maps.
std::string sortKey(std::string_view utf8);
// The same bytes into `key`, whose room is used again.
void assignSortKey(std::string& key, std::string_view utf8);
// False when sortKey(utf8) is certainly not `key`; true when it may be. Most texts are told
// from a wanted one by their first letter, so a scan for one text need not key every row.
bool sortKeyMayBe(std::string_view utf8, std::string_view key);

}  // namespace velmora::engine::store
