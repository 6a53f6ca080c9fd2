#include "engine/base/blanks.h"

namespace velmora::engine {

std::string_view trimmedView(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string trimBlanks(std::string_view text) {
    return std::string(trimmedView(text));
}

}  // namespace velmora::engine
