// Blanks around a text. The program trims the blank character only (a tab is kept): grid
// cells are shown trimmed, and texts read as numbers, dates or yes/no may stand between
// blanks.
#pragma once

#include <string>
#include <string_view>

namespace velmora::engine {

// The text without blanks at either end.
std::string trimBlanks(std::string_view text);

// The same, as a view into `text`.
std::string_view trimmedView(std::string_view text);

}  // namespace velmora::engine
