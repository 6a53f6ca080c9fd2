// The lexer of the Jet SQL dialect: names (bare or in [brackets]), numbers, 'text' and
// "text" literals with doubled quotes inside, #date# literals, operators and punctuation.
//
// Keywords are not recognised here: a bare name is a Name token, and the parser decides,
// without regard to letter case, whether it is a keyword where one may stand. A bracketed name
// is never a keyword.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::engine::sql {

enum class TokenKind {
    Name,        // bare name; text holds it as written
    QuotedName,  // [name]; text holds the name without the brackets
    Integer,     // digits only
    Float,       // digits with a point or an exponent
    String,      // text holds the value with doubled quotes undone
    Date,        // #...#; text holds what stood between the hashes
    LeftParen,
    RightParen,
    Comma,
    Dot,
    Semicolon,
    Star,
    Plus,
    Minus,
    Slash,
    Backslash,  // integer division
    Ampersand,
    Caret,
    Equal,
    NotEqual,  // <>
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Bang,  // ! as a name separator (Forms!x); rejected by the parser
    End,
    Invalid,  // an unterminated literal or a character Jet does not accept
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    size_t offset = 0;      // byte offset of the token's first character in the statement
    bool reserved = false;  // a bare name spelled like a keyword, never taken as a column

    // A bare name equal to `keyword` without regard to letter case.
    bool isKeyword(std::string_view keyword) const;
};

// A token as it stands in the statement: bytes [start, end), quotes, brackets and hashes
// included. An Invalid token runs to the end of the text.
struct RawToken {
    TokenKind kind = TokenKind::End;
    size_t start = 0;
    size_t end = 0;
};

// Splits the whole statement into tokens without copying any text, and returns them: they are
// written at the front of `buffer`, which grows as needed and is never shrunk, so a buffer
// kept from statement to statement is sized once. The last token is End, or Invalid where
// lexing stopped.
std::span<const RawToken> scanTokens(std::string_view text, std::vector<RawToken>& buffer);

// What a token of `text` holds: a text literal without its quotes and with doubled quotes
// undone, a [name] or #date# without its delimiters, anything else as written.
std::string tokenText(std::string_view text, const RawToken& token);

// Splits the whole statement. The last token is End, or Invalid where lexing stopped.
std::vector<Token> tokenize(std::string_view text);

// ASCII case-insensitive equality, for keywords and names.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace velmora::engine::sql
