#include "core/db/sql_literal.h"

#include <algorithm>
#include <cctype>

#include "engine/base/number_text.h"

namespace velmora::core::db {

std::string quoteText(std::string_view text) {
    std::string out;
    appendQuotedText(out, text);
    return out;
}

void appendQuotedText(std::string& sql, std::string_view text) {
    sql.reserve(sql.size() + text.size() + 2);
    sql.push_back('\'');
    for (char c : text) {
        sql.push_back(c);
        if (c == '\'') {
            sql.push_back('\'');
        }
    }
    sql.push_back('\'');
}

std::optional<std::string> bareNumber(std::string_view text) {
    const auto number = engine::numberText(text);
    if (!number)
        return std::nullopt;
    return std::string(*number);
}

std::optional<std::string> quoteName(std::string_view name) {
    if (name.empty() || name.find_first_of("[]") != std::string_view::npos)
        return std::nullopt;
    return "[" + std::string(name) + "]";
}

bool containsNoCase(std::string_view haystack, std::string_view needle) {
    auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                          [&](char a, char b) { return lower(a) == lower(b); });
    return it != haystack.end() || needle.empty();
}

}  // namespace velmora::core::db
