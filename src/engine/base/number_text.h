// Reading a text as a number, the one rule for the whole program: the engine converting a
// text for a number column or computing with it, the grid sorting numbers by value, the
// commands putting a typed number into a statement.
//
// A number is: blanks, an optional sign, digits with at most one decimal point (always a
// point, whatever the language), an optional exponent ("2E3", "2.5e-1"), blanks. Anything
// else ("1,5", "0x10", "inf", "1 OR 1=1") is not a number.
#pragma once

#include <optional>
#include <string_view>

namespace velmora::engine {

// The value of the text when it is a number. A number too large for a double is not one
// (nothing can hold it); one too small reads as 0.
std::optional<double> readNumber(std::string_view text);

// The text without its surrounding blanks when it is a number, for splicing into a statement
// bare: the statement's parser reads exactly that number back.
std::optional<std::string_view> numberText(std::string_view text);

}  // namespace velmora::engine
