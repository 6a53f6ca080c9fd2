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

// The text without blanks at its end, as Jet compares and indexes texts; for UTF-8 and
// UTF-16 views alike.
template <class View>
View withoutTrailingBlanks(View text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

}  // namespace velmora::engine
