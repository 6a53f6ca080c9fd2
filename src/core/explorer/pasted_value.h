// How a piece of pasted text becomes a field's value, and which texts can be pasted at all.
//
// Text fields take the text cut to their defined size; number fields take the number the
// text starts with, read the same way in every language (a point is the decimal separator).
#pragma once

#include <string>
#include <string_view>

namespace velmora::core::explorer {

// The decimal number at the start of `text`: blanks anywhere are skipped, then an optional
// sign, digits with at most one point, and an exponent (E or D, optional sign, digits);
// reading stops at the first character that cannot continue the number. 0 when the text
// does not start with a number ("12abc" is 12, "abc" is 0, " 1 2.5x" is 12.5).
double leadingNumber(std::string_view text);

// The first `size` characters of `text`, counted as the engine counts a Text field's size
// (UTF-16 code units); a character is never split. `text` must be valid UTF-8.
std::string cutToFieldSize(std::string_view text, int size);

// True when `text` is well-formed UTF-8 without control characters other than tab,
// carriage return and line feed: what a table's cells can hold.
bool isPlainText(std::string_view text);

}  // namespace velmora::core::explorer
