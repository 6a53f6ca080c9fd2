// Turning grid and typed texts into pieces of Jet SQL.
//
// The commands build their statements by joining fixed pieces with values taken from the
// grid or typed by the user. A text value goes between single quotes; a quote inside it is
// doubled, so a channel called "Rock'n'Roll Radio" is a value and never ends the literal
// early. Number columns take their text bare, but only when it really is a number: anything
// else would be spliced into the statement as SQL.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::core::db {

// 'text' with every ' doubled.
std::string quoteText(std::string_view text);

// The text itself when it reads as a decimal number (optional sign, digits, at most one
// decimal point, blanks around it allowed and dropped); std::nullopt otherwise.
std::optional<std::string> bareNumber(std::string_view text);

// Case-insensitive (ASCII) search, as the commands test a statement for "WHERE".
bool containsNoCase(std::string_view haystack, std::string_view needle);

// The text without blanks at either end (only the blank character, as the grid trims).
std::string trimBlanks(std::string_view text);

}  // namespace velmora::core::db
