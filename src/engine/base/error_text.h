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

// An error with Jet's text for `number`; a detail follows the text after a colon:
// jetError(3027, "the file or its folder cannot be written") says "Cannot update.  Database
// or object is read-only: the file or its folder cannot be written."
Status jetError(int number, std::string_view detail = {});

}  // namespace velmora::engine
