// Safe pieces for statements built from user or grid text.
//
// The program builds its statements by concatenation. Pasting a text between single quotes
// as it stands breaks the statement on the first quote ("O'Brien") and lets a value change
// the statement's meaning; pasting a "number" bare does the same ("1 OR 1=1"). These helpers
// give the literal Jet reads back as exactly the given value, or refuse.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::engine::dao {

// 'text' with every single quote doubled: quoteText("O'Brien") is 'O''Brien'.
std::string quoteText(std::string_view text);

// The text as a bare number literal when it is one (optional sign, digits, one decimal point,
// an exponent; surrounding blanks dropped), else nullopt: "12" -> 12, " -1.5 " -> -1.5,
// "1 OR 1=1" -> nullopt, "" -> nullopt.
std::optional<std::string> numberLiteral(std::string_view text);

// [name] for a table or column name; nullopt when the name cannot be bracketed (empty, or
// holding a bracket, which Jet names cannot contain).
std::optional<std::string> quoteName(std::string_view name);

}  // namespace velmora::engine::dao
