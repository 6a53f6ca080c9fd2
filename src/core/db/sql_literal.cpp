#include "core/db/sql_literal.h"

#include <algorithm>
#include <cctype>

namespace velmora::core::db {

std::string quoteText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('\'');
    for (char c : text) {
        out.push_back(c);
        if (c == '\'') {
            out.push_back('\'');
        }
    }
    out.push_back('\'');
    return out;
}

std::optional<std::string> bareNumber(std::string_view text) {
    std::string t = trimBlanks(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (std::isdigit(c)) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    return t;
}

bool containsNoCase(std::string_view haystack, std::string_view needle) {
    auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                          [&](char a, char b) { return lower(a) == lower(b); });
    return it != haystack.end() || needle.empty();
}

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace velmora::core::db
