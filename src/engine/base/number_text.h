// Reading a text as a number and writing a number as text, the one rule for the whole
// program: the engine converting a text for a number column or computing with it, the
// statement parser reading a literal, the grid sorting numbers by value, the commands putting
// a typed number into a statement, a number shown or stored as text.
//
// None of it follows the process locale. Qt sets the C library's locale from the user's
// language at start, and under a German one strtod reads "10.6" as 10 and printf writes
// "10,6"; the database, its statements and its grid always take a point.
//
// A number is: blanks, an optional sign, digits with at most one decimal point (always a
// point, whatever the language), an optional exponent ("2E3", "2.5e-1"), blanks. Anything
// else ("1,5", "0x10", "inf", "1 OR 1=1") is not a number.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::engine {

// The value of the text when it is a number. A number too large for a double is not one
// (nothing can hold it); one too small reads as 0.
std::optional<double> readNumber(std::string_view text);

// The text without its surrounding blanks when it is a number, for splicing into a statement
// bare: the statement's parser reads exactly that number back.
std::optional<std::string_view> numberText(std::string_view text);

// The shortest text that reads back as exactly `value` ("10.6", "1e+20", "-0.04"), as a cell
// shows a Double or Single and as a statement is given one.
std::string writeNumber(double value);
std::string writeNumber(float value);

// `value` rounded to `significantDigits` digits, in the shape of printf's "%.*g" in the "C"
// locale ("0.3" for 0.1 + 0.2 at 15 digits), as Jet converts a number to text.
std::string writeNumber(double value, int significantDigits);

}  // namespace velmora::engine
