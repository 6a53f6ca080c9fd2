#include "engine/dao/sql_text.h"

namespace velmora::engine::dao {

std::string quoteText(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

std::optional<std::string> numberLiteral(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        size_t exponent = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++exponent;
        if (exponent == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return std::string(text);
}

std::optional<std::string> quoteName(std::string_view name) {
    if (name.empty() || name.find_first_of("[]") != std::string_view::npos)
        return std::nullopt;
    return "[" + std::string(name) + "]";
}

}  // namespace velmora::engine::dao
