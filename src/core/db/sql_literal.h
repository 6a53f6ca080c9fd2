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

#include "engine/base/blanks.h"

namespace velmora::core::db {

// 'text' with every ' doubled.
std::string quoteText(std::string_view text);
// The same appended to `sql`, for statements built piece by piece into one string.
void appendQuotedText(std::string& sql, std::string_view text);

// The text without its surrounding blanks when it is a number as the engine reads one
// (engine/base/number_text.h: sign, digits, one decimal point, an exponent); std::nullopt
// otherwise, so that "1 OR 1=1" never goes into a statement bare.
std::optional<std::string> bareNumber(std::string_view text);

// [name] for a table or column name; std::nullopt when the name cannot be bracketed (empty,
// or holding a bracket, which Jet names cannot contain).
std::optional<std::string> quoteName(std::string_view name);

// Case-insensitive (ASCII) search, as the commands test a statement for "WHERE".
bool containsNoCase(std::string_view haystack, std::string_view needle);

// The text without blanks at either end (only the blank character, as the grid trims).
using engine::trimBlanks;

}  // namespace velmora::core::db
