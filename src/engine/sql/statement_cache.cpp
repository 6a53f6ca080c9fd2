#include "engine/sql/statement_cache.h"

#include <algorithm>
#include <unordered_map>

#include "engine/sql/ast_walk.h"
#include "engine/sql/lexer.h"
#include "engine/sql/parser.h"

namespace velmora::engine::sql {

namespace {

bool isValueLiteral(TokenKind kind) {
    return kind == TokenKind::Integer || kind == TokenKind::Float || kind == TokenKind::String;
}

// The shape of a statement into `key`: the text with each number and text literal replaced by
// a NUL and a letter for its kind. A NUL elsewhere in the text is doubled, so the markers
// cannot be imitated: texts of one key lex into the same tokens apart from the literals'
// values. (Texts that differ only in blanks have different keys; each is parsed once.)
void shapeKey(std::string_view text, std::span<const RawToken> tokens, std::string& key) {
    key.clear();
    size_t from = 0;
    auto copyUpTo = [&](size_t end) {
        for (size_t nul = text.find('\0', from); nul < end; nul = text.find('\0', from)) {
            key.append(text.substr(from, nul + 1 - from));
            key += '\0';
            from = nul + 1;
        }
        key.append(text.substr(from, end - from));
    };
    for (const RawToken& t : tokens) {
        if (!isValueLiteral(t.kind))
            continue;
        copyUpTo(t.start);
        key += '\0';
        key += static_cast<char>('A' + static_cast<int>(t.kind));
        from = t.end;
    }
    copyUpTo(text.size());
}

// The literal nodes of a statement by the text offset of the token they came from.
using LiteralNodes = std::unordered_multimap<size_t, Expr*>;

void collect(Statement& st, LiteralNodes& out) {
    auto literal = [&](Expr& e) {
        if (e.kind == ExprKind::Literal)
            out.emplace(e.offset, &e);
    };
    forEachExpr(st, literal);
}

}  // namespace

Result<Statement*> StatementCache::prepare(std::string_view text) {
    // Only the token boundaries are needed to find the shape; no token text is copied unless
    // the shape is new.
    const std::span<const RawToken> tokens = scanTokens(text, m_tokens);
    if (tokens.back().kind != TokenKind::End) {
        // Not even a token list: the parser reports why.
        VELMORA_ASSIGN_OR_RETURN(m_uncached, parseStatement(text));
        return &m_uncached;
    }
    shapeKey(text, tokens, m_key);
    auto found = m_entries.find(m_key);
    if (found != m_entries.end()) {
        Entry& e = found->second;
        e.lastUse = ++m_clock;
        if (!e.reusable) {
            VELMORA_ASSIGN_OR_RETURN(m_uncached, parseStatement(text));
            return &m_uncached;
        }
        size_t next = 0;
        for (const RawToken& t : tokens) {
            if (!isValueLiteral(t.kind))
                continue;
            // A reusable shape has a holder for every literal.
            const std::vector<Expr*>& holders = e.literals[next++];
            const store::Value value = literalValue(t.kind, tokenText(text, t));
            for (Expr* node : holders)
                node->value = value;
        }
        return &e.statement;
    }

    VELMORA_ASSIGN_OR_RETURN(Statement parsed, parseStatement(text));
    if (m_entries.size() >= kCapacity)
        evictOne();
    Entry& e = m_entries[m_key];
    e.statement = std::move(parsed);
    e.lastUse = ++m_clock;
    LiteralNodes nodes;
    collect(e.statement, nodes);
    for (const RawToken& t : tokens) {
        if (!isValueLiteral(t.kind))
            continue;
        auto [from, to] = nodes.equal_range(t.start);
        std::vector<Expr*> holders;
        for (auto it = from; it != to; ++it)
            holders.push_back(it->second);
        if (holders.empty())
            e.reusable = false;
        e.literals.push_back(std::move(holders));
    }
    return &e.statement;
}

void StatementCache::evictOne() {
    auto oldest = std::min_element(
        m_entries.begin(), m_entries.end(),
        [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
    if (oldest != m_entries.end())
        m_entries.erase(oldest);
}

}  // namespace velmora::engine::sql
