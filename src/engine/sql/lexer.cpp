#include "engine/sql/lexer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace velmora::engine::sql {

namespace {

// ASCII only: keywords and the letters Jet folds in names are ASCII, and the C library's
// tolower would depend on the locale.
unsigned char asciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

}  // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(static_cast<unsigned char>(a[i])) !=
            asciiLower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool Token::isKeyword(std::string_view keyword) const {
    return kind == TokenKind::Name && equalsIgnoreCase(text, keyword);
}

namespace {

// Words that end an expression or a name list; a bare name spelled like one of these is never
// taken as a column.
using namespace std::string_view_literals;
constexpr std::array kReserved = {
    "SELECT"sv,  "FROM"sv,        "WHERE"sv,  "AND"sv,    "OR"sv,     "NOT"sv,    "IS"sv,
    "NULL"sv,    "LIKE"sv,        "IN"sv,     "AS"sv,     "ON"sv,     "JOIN"sv,   "INNER"sv,
    "LEFT"sv,    "RIGHT"sv,       "OUTER"sv,  "GROUP"sv,  "BY"sv,     "HAVING"sv, "ORDER"sv,
    "INTO"sv,    "SET"sv,         "VALUES"sv, "UPDATE"sv, "DELETE"sv, "INSERT"sv, "MOD"sv,
    "BETWEEN"sv, "DISTINCT"sv,    "ASC"sv,    "DESC"sv,   "UNION"sv,  "TRUE"sv,   "FALSE"sv,
    "XOR"sv,     "DISTINCTROW"sv, "ALL"sv,    "TOP"sv,
};

bool isReservedWord(std::string_view name) {
    // Every name of every statement is looked up: only the words of its length are compared.
    constexpr size_t kLongest = 11;
    static_assert(std::all_of(kReserved.begin(), kReserved.end(),
                              [](std::string_view w) { return w.size() <= kLongest; }));
    static const auto byLength = [] {
        std::array<std::vector<std::string_view>, kLongest + 1> table;
        for (std::string_view word : kReserved)
            table[word.size()].push_back(word);
        return table;
    }();
    if (name.size() > kLongest)
        return false;
    for (std::string_view word : byLength[name.size()]) {
        if (equalsIgnoreCase(name, word))
            return true;
    }
    return false;
}

// Character classes in ASCII, whatever the C library's locale says (a Qt program sets it
// from the environment); they run for every character of every statement, so they are looked
// up in one table.
enum CharClass : uint8_t { kDigit = 1, kSpace = 2, kNameStart = 4 };

constexpr std::array<uint8_t, 256> kCharClasses = [] {
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        uint8_t k = 0;
        if (c >= '0' && c <= '9')
            k |= kDigit;
        if (c == ' ' || (c >= '\t' && c <= '\r'))
            k |= kSpace;
        // Bytes of UTF-8 sequences count as letters: Jet names may hold umlauts.
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80)
            k |= kNameStart;
        table[static_cast<size_t>(c)] = k;
    }
    return table;
}();

bool isDigit(unsigned char c) {
    return kCharClasses[c] & kDigit;
}

bool isSpace(unsigned char c) {
    return kCharClasses[c] & kSpace;
}

bool isNameStart(unsigned char c) {
    return kCharClasses[c] & kNameStart;
}

bool isNameChar(unsigned char c) {
    return kCharClasses[c] & (kNameStart | kDigit);
}

}  // namespace

std::span<const RawToken> scanTokens(std::string_view s, std::vector<RawToken>& out) {
    // Every token takes at least one character, so the list is sized once and written in
    // place; a push per token costs more than the scan itself. It is never shrunk, so a
    // buffer kept for the next statement is not filled with empty tokens again.
    if (out.size() < s.size() + 1)
        out.resize(s.size() + 1);
    size_t count = 0;
    auto emit = [&](TokenKind kind, size_t from, size_t to) {
        out[count++] = RawToken{kind, from, to};
    };
    size_t i = 0;
    // An unterminated literal or a character Jet does not accept: the rest of the text.
    auto invalid = [&](size_t start) {
        emit(TokenKind::Invalid, start, s.size());
        return std::span<const RawToken>(out.data(), count);
    };
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t start = i;
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (isNameStart(c)) {
            while (i < s.size() && isNameChar(static_cast<unsigned char>(s[i])))
                ++i;
            emit(TokenKind::Name, start, i);
            continue;
        }
        if (isDigit(c) ||
            (c == '.' && i + 1 < s.size() && isDigit(static_cast<unsigned char>(s[i + 1])))) {
            bool isFloat = false;
            while (i < s.size() && isDigit(static_cast<unsigned char>(s[i])))
                ++i;
            if (i < s.size() && s[i] == '.') {
                isFloat = true;
                ++i;
                while (i < s.size() && isDigit(static_cast<unsigned char>(s[i])))
                    ++i;
            }
            if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
                size_t j = i + 1;
                if (j < s.size() && (s[j] == '+' || s[j] == '-'))
                    ++j;
                if (j < s.size() && isDigit(static_cast<unsigned char>(s[j]))) {
                    isFloat = true;
                    i = j;
                    while (i < s.size() && isDigit(static_cast<unsigned char>(s[i])))
                        ++i;
                }
            }
            // "12abc" is no number and no name in Jet.
            if (i < s.size() && isNameStart(static_cast<unsigned char>(s[i]))) {
                return invalid(start);
            }
            emit(isFloat ? TokenKind::Float : TokenKind::Integer, start, i);
            continue;
        }
        if (c == '\'' || c == '"') {
            ++i;
            bool closed = false;
            while (i < s.size()) {
                if (static_cast<unsigned char>(s[i]) == c) {
                    if (i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                ++i;
            }
            if (!closed) {
                return invalid(start);
            }
            emit(TokenKind::String, start, i);
            continue;
        }
        if (c == '[' || c == '#') {
            const char close = c == '[' ? ']' : '#';
            const size_t end = s.find(close, i + 1);
            if (end == std::string_view::npos) {
                return invalid(start);
            }
            const std::string_view inner = s.substr(i + 1, end - i - 1);
            if (c == '[' && (inner.empty() || inner.find('[') != std::string_view::npos)) {
                return invalid(start);
            }
            i = end + 1;
            emit(c == '[' ? TokenKind::QuotedName : TokenKind::Date, start, i);
            continue;
        }
        TokenKind kind = TokenKind::Invalid;
        size_t length = 1;
        switch (c) {
            case '(':
                kind = TokenKind::LeftParen;
                break;
            case ')':
                kind = TokenKind::RightParen;
                break;
            case ',':
                kind = TokenKind::Comma;
                break;
            case '.':
                kind = TokenKind::Dot;
                break;
            case ';':
                kind = TokenKind::Semicolon;
                break;
            case '*':
                kind = TokenKind::Star;
                break;
            case '+':
                kind = TokenKind::Plus;
                break;
            case '-':
                kind = TokenKind::Minus;
                break;
            case '/':
                kind = TokenKind::Slash;
                break;
            case '\\':
                kind = TokenKind::Backslash;
                break;
            case '&':
                kind = TokenKind::Ampersand;
                break;
            case '^':
                kind = TokenKind::Caret;
                break;
            case '!':
                kind = TokenKind::Bang;
                break;
            case '=':
                kind = TokenKind::Equal;
                break;
            case '<':
                if (i + 1 < s.size() && s[i + 1] == '>') {
                    kind = TokenKind::NotEqual;
                    length = 2;
                } else if (i + 1 < s.size() && s[i + 1] == '=') {
                    kind = TokenKind::LessEqual;
                    length = 2;
                } else {
                    kind = TokenKind::Less;
                }
                break;
            case '>':
                if (i + 1 < s.size() && s[i + 1] == '=') {
                    kind = TokenKind::GreaterEqual;
                    length = 2;
                } else {
                    kind = TokenKind::Greater;
                }
                break;
            default:
                break;
        }
        if (kind == TokenKind::Invalid) {
            return invalid(start);
        }
        i += length;
        emit(kind, start, i);
    }
    emit(TokenKind::End, s.size(), s.size());
    return std::span<const RawToken>(out.data(), count);
}

std::string tokenText(std::string_view s, const RawToken& t) {
    const std::string_view raw = s.substr(t.start, t.end - t.start);
    switch (t.kind) {
        case TokenKind::String: {
            // The quotes go, and a doubled quote inside stands for one.
            const char quote = raw.front();
            std::string value;
            value.reserve(raw.size() - 2);
            for (size_t i = 1; i + 1 < raw.size(); ++i) {
                value += raw[i];
                if (raw[i] == quote)
                    ++i;
            }
            return value;
        }
        case TokenKind::QuotedName:
        case TokenKind::Date:
            return std::string(raw.substr(1, raw.size() - 2));
        default:
            return std::string(raw);
    }
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<RawToken> raw;
    const std::span<const RawToken> scanned = scanTokens(s, raw);
    std::vector<Token> out;
    out.reserve(scanned.size());
    for (const RawToken& t : scanned) {
        out.push_back(Token{t.kind, tokenText(s, t), t.start});
        if (t.kind == TokenKind::Name)
            out.back().reserved = isReservedWord(out.back().text);
    }
    return out;
}

}  // namespace velmora::engine::sql
