// Finding a piece of text in a cell the way a user means it: without regard to letter case,
// for umlauts and other accented letters as for plain ones ("zdf" finds "ZDF HD", "österreich"
// finds "ÖSTERREICH 1"). Accents still count: "o" does not find "ö".
#pragma once

#include <string>
#include <string_view>

namespace velmora::core::editing {

// The UTF-8 text as UTF-16 with every upper-case letter of the Latin, Greek and Cyrillic
// alphabets made lower-case; other characters as they are.
std::u16string foldCase(std::string_view utf8);

// True when `part` occurs in `text`, letter case ignored. An empty part occurs everywhere.
bool containsIgnoringCase(std::string_view text, std::string_view part);

}  // namespace velmora::core::editing
