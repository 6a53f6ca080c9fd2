// Parsed statements kept by their shape, so that each shape is parsed once.
//
// The program builds a new statement text for every grid row, and the texts of one command
// differ only in their literal values: a full save sends two statements of the same two
// shapes for each of 32 767 rows. The cache keys a statement by its text with the number and
// text literals marked out (the lexer finds them), keeps the parsed tree of the first text of each
// shape, and for a later text of that shape puts the new literal values into the kept tree instead
// of parsing again. Date literals stay part of the shape: whether one parses depends on its text.
//
// A SELECT keeps its binding to the tables with its tree, only while the tables keep their
// schemas (select_executor.cpp), so a kept tree is run exactly as a freshly parsed one would be. A
// text that fails to parse is never kept, so it fails again with the same error. A shape whose
// literals the tree does not hold one by one (none today) is parsed every time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/base/status.h"
#include "engine/sql/ast.h"
#include "engine/sql/lexer.h"

namespace velmora::engine::sql {

class StatementCache {
public:
    // The statement of `text`, parsed or taken from the cache with the text's literal values.
    // The reference stays valid until the next call.
    Result<Statement*> prepare(std::string_view text);

    size_t size() const { return m_entries.size(); }
    void clear() { m_entries.clear(); }

    // Shapes kept at most; the least recently used goes first.
    static constexpr size_t kCapacity = 64;

private:
    struct Entry {
        Statement statement;
        // Per literal token of the shape, in text order: the literal nodes holding its value.
        std::vector<std::vector<Expr*>> literals;
        bool reusable = true;
        uint64_t lastUse = 0;
    };
    void evictOne();

    std::unordered_map<std::string, Entry> m_entries;
    Statement m_uncached;  // a statement of a shape that is parsed every time
    // Kept between calls so that a statement of a known shape allocates nothing for them.
    std::vector<RawToken> m_tokens;
    std::string m_key;
    uint64_t m_clock = 0;
};

}  // namespace velmora::engine::sql
