// Jet's own text for each error number of error_codes.h, and the one way to make an error
// from a number: the text, and after it what this case adds (the file, the table, the reason).
#pragma once

#include <string>
#include <string_view>

#include "engine/base/status.h"

namespace velmora::engine {

// Jet's text for `number` ("Cannot update.  Database or object is read-only."), or
// "Jet error N" for a number the list does not hold.
std::string errorText(int number);

// Jet's text for `number` that names the object it is about: errorText(3024, "D:/TV/x.mdb")
// says "Could not find file 'D:/TV/x.mdb'.". A number whose text names nothing gives
// errorText(number).
std::string errorText(int number, std::string_view name);

// An error with Jet's text for `number`; a detail follows the text after a colon:
// jetError(3027, "the file or its folder cannot be written") says "Cannot update.  Database
// or object is read-only: the file or its folder cannot be written."
Status jetError(int number, std::string_view detail = {});

// An error with Jet's text for `number` naming `name`; `more` follows as a sentence of its own:
// namedJetError(3024, path, "It was moved or removed.").
Status namedJetError(int number, std::string_view name, std::string_view more = {});

// The expressions Jet cannot read for another reason than a missing operator: each is
// kSyntaxInExpression with a text of its own, naming the piece where one is named.
enum class ExpressionFault { BadDate, BadString, BetweenWithoutAnd };
Status expressionError(ExpressionFault fault, std::string_view piece = {});

}  // namespace velmora::engine
