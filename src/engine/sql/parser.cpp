#include "engine/sql/parser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base/access_date.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/base/number_text.h"
#include "engine/sql/lexer.h"

namespace velmora::engine::sql {

namespace {

bool isName(const Token& t) {
    return t.kind == TokenKind::QuotedName || (t.kind == TokenKind::Name && !t.reserved);
}

ExprPtr makeExpr(ExprKind kind, size_t offset) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->offset = offset;
    return e;
}

// The type of a declared parameter by its Jet SQL name.
std::optional<store::ColumnType> parameterType(std::string_view name) {
    using store::ColumnType;
    struct Named {
        const char* name;
        ColumnType type;
    };
    static constexpr std::array<Named, 17> kTypes = {{
        {"TEXT", ColumnType::Text},
        {"CHAR", ColumnType::Text},
        {"VARCHAR", ColumnType::Text},
        {"LONG", ColumnType::Long},
        {"INTEGER", ColumnType::Long},
        {"SHORT", ColumnType::Integer},
        {"SMALLINT", ColumnType::Integer},
        {"BYTE", ColumnType::Byte},
        {"DOUBLE", ColumnType::Double},
        {"FLOAT", ColumnType::Double},
        {"SINGLE", ColumnType::Single},
        {"REAL", ColumnType::Single},
        {"CURRENCY", ColumnType::Currency},
        {"DATETIME", ColumnType::DateTime},
        {"DATE", ColumnType::DateTime},
        {"BIT", ColumnType::Boolean},
        {"YESNO", ColumnType::Boolean},
    }};
    for (const Named& t : kTypes) {
        if (equalsIgnoreCase(name, t.name))
            return t.type;
    }
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text), m_tokens(tokenize(text)) {}

    Result<Statement> run() {
        Statement result;
        if (peek().isKeyword("PARAMETERS") && !parseParameters())
            return m_error;
        const Token& first = peek();
        if (first.isKeyword("SELECT")) {
            m_code = err::kSyntaxInExpression;
            SelectStatement s;
            if (!parseSelect(s, true))
                return m_error;
            result = std::move(s);
        } else if (first.isKeyword("DELETE")) {
            DeleteStatement s;
            if (!parseDelete(s))
                return m_error;
            result = std::move(s);
        } else if (first.isKeyword("UPDATE")) {
            UpdateStatement s;
            if (!parseUpdate(s))
                return m_error;
            result = std::move(s);
        } else if (first.isKeyword("INSERT")) {
            InsertStatement s;
            if (!parseInsert(s))
                return m_error;
            result = std::move(s);
        } else {
            return jetError(err::kInvalidSqlStatement);
        }
        if (peek().kind == TokenKind::Semicolon)
            advance();
        if (peek().kind != TokenKind::End) {
            return jetError(err::kCharactersAfterEnd);
        }
        return result;
    }

    // The parameters the statement declared in front of it, once run() parsed it.
    std::vector<ParameterDecl> takeParameters() { return std::move(m_parameters); }

private:
    const Token& peek(size_t ahead = 0) const {
        const size_t i = std::min(m_pos + ahead, m_tokens.size() - 1);
        return m_tokens[i];
    }
    const Token& advance() {
        const Token& t = m_tokens[m_pos];
        if (m_pos + 1 < m_tokens.size())
            ++m_pos;
        return t;
    }
    bool acceptKeyword(std::string_view word) {
        if (peek().isKeyword(word)) {
            advance();
            return true;
        }
        return false;
    }
    bool accept(TokenKind kind) {
        if (peek().kind == kind) {
            advance();
            return true;
        }
        return false;
    }

    // Records the first error; later ones are consequences of it.
    bool fail(Status error) {
        if (m_failed)
            return false;
        m_failed = true;
        m_error = std::move(error);
        return false;
    }
    // Jet's text for `code`; a missing operator names the statement from `offset` on.
    bool fail(int code, size_t offset) {
        if (code == err::kSyntaxInExpression)
            return fail(namedJetError(code, m_text.substr(std::min(offset, m_text.size()))));
        return fail(jetError(code));
    }
    bool failHere(int code) { return fail(code, peek().offset); }

    // After a condition, only the start of a further clause or the end may follow; anything
    // else is an operator missing in the expression (NAME = 'O'Brien').
    bool expectClauseEnd(size_t exprOffset, std::initializer_list<const char*> clauses) {
        const Token& t = peek();
        if (t.kind == TokenKind::End || t.kind == TokenKind::Semicolon ||
            t.kind == TokenKind::RightParen)
            return true;
        for (const char* c : clauses) {
            if (t.isKeyword(c))
                return true;
        }
        return fail(err::kSyntaxInExpression, exprOffset);
    }

    // parameters := PARAMETERS name type [(size)] {, name type [(size)]} ;
    bool parseParameters() {
        advance();
        auto malformed = [&] {
            return fail(
                Status::error(err::kInvalidSqlStatement, "Syntax error in PARAMETERS clause."));
        };
        do {
            ParameterDecl d;
            if (!isName(peek()))
                return malformed();
            d.name = advance().text;
            const std::optional<store::ColumnType> type =
                peek().kind == TokenKind::Name ? parameterType(peek().text) : std::nullopt;
            if (!type)
                return malformed();
            advance();
            d.type = *type;
            if (accept(TokenKind::LeftParen) &&
                (!accept(TokenKind::Integer) || !accept(TokenKind::RightParen)))
                return malformed();
            for (const ParameterDecl& other : m_parameters) {
                if (equalsIgnoreCase(other.name, d.name))
                    return malformed();
            }
            m_parameters.push_back(std::move(d));
        } while (accept(TokenKind::Comma));
        return accept(TokenKind::Semicolon) || malformed();
    }

    // name := Name | [Name]
    bool parseName(std::string& out, int code) {
        if (!isName(peek()))
            return failHere(code);
        out = advance().text;
        return true;
    }

    // select := SELECT [DISTINCT] items [INTO name] FROM sources [WHERE expr]
    //           [GROUP BY exprs] [HAVING expr] [ORDER BY order-items]
    bool parseSelect(SelectStatement& s, bool allowInto) {
        advance();  // SELECT
        if (acceptKeyword("DISTINCT") || acceptKeyword("DISTINCTROW"))
            s.distinct = true;
        else
            acceptKeyword("ALL");
        m_code = err::kSyntaxInExpression;
        do {
            if (!parseSelectItem(s))
                return false;
        } while (accept(TokenKind::Comma));
        if (peek().isKeyword("INTO")) {
            if (!allowInto)
                return failHere(err::kSyntaxInInsert);
            advance();
            if (!parseName(s.into, err::kSyntaxInFrom))
                return false;
        }
        if (!acceptKeyword("FROM")) {
            // A select list that does not end where FROM should stand: Jet blames the
            // expression (SELECT a b FROM t) or the missing clause.
            if (peek().kind == TokenKind::End || peek().kind == TokenKind::Semicolon)
                return fail(err::kSelectSyntax, peek().offset);
            return failHere(err::kSyntaxInExpression);
        }
        do {
            auto node = parseFromSource();
            if (!node)
                return false;
            s.from.push_back(std::move(node));
        } while (accept(TokenKind::Comma));
        if (acceptKeyword("WHERE")) {
            const size_t at = peek().offset;
            s.where = parseExpr();
            if (!s.where || !expectClauseEnd(at, {"GROUP", "HAVING", "ORDER"}))
                return false;
        }
        if (peek().isKeyword("GROUP")) {
            advance();
            if (!acceptKeyword("BY"))
                return failHere(err::kSyntaxInExpression);
            do {
                auto e = parseExpr();
                if (!e)
                    return false;
                s.groupBy.push_back(std::move(e));
            } while (accept(TokenKind::Comma));
        }
        if (acceptKeyword("HAVING")) {
            const size_t at = peek().offset;
            s.having = parseExpr();
            if (!s.having || !expectClauseEnd(at, {"ORDER"}))
                return false;
        }
        if (peek().isKeyword("ORDER")) {
            advance();
            if (!acceptKeyword("BY"))
                return failHere(err::kSyntaxInOrderBy);
            do {
                OrderItem item;
                if (peek().kind == TokenKind::End)
                    return failHere(err::kSyntaxInOrderBy);
                item.expr = parseExpr();
                if (!item.expr)
                    return false;
                if (acceptKeyword("DESC"))
                    item.descending = true;
                else
                    acceptKeyword("ASC");
                s.orderBy.push_back(std::move(item));
            } while (accept(TokenKind::Comma));
        }
        return true;
    }

    // item := * | name.* | expr [AS alias]
    bool parseSelectItem(SelectStatement& s) {
        SelectItem item;
        if (accept(TokenKind::Star)) {
            item.star = true;
            s.items.push_back(std::move(item));
            return true;
        }
        if (isName(peek()) && peek(1).kind == TokenKind::Dot && peek(2).kind == TokenKind::Star) {
            item.star = true;
            item.starTable = advance().text;
            advance();
            advance();
            s.items.push_back(std::move(item));
            return true;
        }
        if (peek().isKeyword("FROM") || peek().kind == TokenKind::End)
            return fail(err::kSelectSyntax, peek().offset);
        item.expr = parseExpr();
        if (!item.expr)
            return false;
        if (acceptKeyword("AS")) {
            if (!parseName(item.alias, err::kSyntaxInExpression))
                return false;
        }
        s.items.push_back(std::move(item));
        return true;
    }

    // source := primary { (INNER | LEFT [OUTER] | RIGHT [OUTER]) JOIN primary ON expr }
    std::unique_ptr<FromNode> parseFromSource() {
        auto left = parseFromPrimary();
        if (!left)
            return nullptr;
        for (;;) {
            JoinType type;
            if (peek().isKeyword("INNER")) {
                type = JoinType::Inner;
            } else if (peek().isKeyword("LEFT")) {
                type = JoinType::Left;
            } else if (peek().isKeyword("RIGHT")) {
                type = JoinType::Right;
            } else if (peek().isKeyword("JOIN")) {
                failHere(err::kSyntaxInJoin);
                return nullptr;
            } else {
                return left;
            }
            advance();
            if (type != JoinType::Inner)
                acceptKeyword("OUTER");
            if (!acceptKeyword("JOIN")) {
                failHere(err::kSyntaxInFrom);
                return nullptr;
            }
            auto right = parseFromPrimary();
            if (!right)
                return nullptr;
            if (!acceptKeyword("ON")) {
                failHere(err::kSyntaxInJoin);
                return nullptr;
            }
            auto on = parseExpr();
            if (!on)
                return nullptr;
            auto join = std::make_unique<FromNode>();
            join->isJoin = true;
            join->join = type;
            join->left = std::move(left);
            join->right = std::move(right);
            join->on = std::move(on);
            left = std::move(join);
        }
    }

    // primary := '(' source ')' | name [[AS] alias]
    std::unique_ptr<FromNode> parseFromPrimary() {
        if (accept(TokenKind::LeftParen)) {
            auto inner = parseFromSource();
            if (!inner)
                return nullptr;
            if (!accept(TokenKind::RightParen)) {
                failHere(err::kSyntaxInFrom);
                return nullptr;
            }
            return inner;
        }
        auto node = std::make_unique<FromNode>();
        node->table.offset = peek().offset;
        if (!parseName(node->table.name, err::kSyntaxInFrom))
            return nullptr;
        if (acceptKeyword("AS")) {
            if (!parseName(node->table.alias, err::kSyntaxInFrom))
                return nullptr;
        } else if (isName(peek())) {
            node->table.alias = advance().text;
        }
        return node;
    }

    // delete := DELETE [* | name.*] FROM name [WHERE expr]
    bool parseDelete(DeleteStatement& s) {
        advance();
        if (!accept(TokenKind::Star)) {
            if (isName(peek()) && peek(1).kind == TokenKind::Dot &&
                peek(2).kind == TokenKind::Star) {
                advance();
                advance();
                advance();
            }
        }
        if (!acceptKeyword("FROM"))
            return fail(err::kDeleteSyntax, peek().offset);
        if (!parseName(s.table, err::kSyntaxInFrom))
            return false;
        if (acceptKeyword("WHERE")) {
            m_code = err::kSyntaxInExpression;
            const size_t at = peek().offset;
            s.where = parseExpr();
            if (!s.where || !expectClauseEnd(at, {}))
                return false;
        }
        return true;
    }

    // update := UPDATE name SET [table.]column = expr {, ...} [WHERE expr]
    bool parseUpdate(UpdateStatement& s) {
        advance();
        if (!parseName(s.table, err::kSyntaxInUpdate))
            return false;
        if (!acceptKeyword("SET"))
            return failHere(err::kSyntaxInUpdate);
        do {
            Assignment a;
            if (!parseName(a.column, err::kSyntaxInUpdate))
                return false;
            if (accept(TokenKind::Dot)) {
                a.table = std::move(a.column);
                if (!parseName(a.column, err::kSyntaxInUpdate))
                    return false;
            }
            if (!accept(TokenKind::Equal))
                return failHere(err::kSyntaxInUpdate);
            a.value = parseExpr();
            if (!a.value)
                return false;
            s.assignments.push_back(std::move(a));
        } while (accept(TokenKind::Comma));
        if (acceptKeyword("WHERE")) {
            const size_t at = peek().offset;
            s.where = parseExpr();
            if (!s.where || !expectClauseEnd(at, {}))
                return false;
        } else if (peek().kind != TokenKind::End && peek().kind != TokenKind::Semicolon) {
            return failHere(err::kSyntaxInUpdate);
        }
        return true;
    }

    // insert := INSERT INTO name [(column {, column})] (VALUES (expr {, expr}) | select)
    bool parseInsert(InsertStatement& s) {
        advance();
        if (!acceptKeyword("INTO"))
            return failHere(err::kSyntaxInInsert);
        if (!parseName(s.table, err::kSyntaxInInsert))
            return false;
        if (accept(TokenKind::LeftParen)) {
            do {
                std::string column;
                if (!parseName(column, err::kSyntaxInInsert))
                    return false;
                if (accept(TokenKind::Dot) && !parseName(column, err::kSyntaxInInsert))
                    return false;
                s.columns.push_back(std::move(column));
            } while (accept(TokenKind::Comma));
            if (!accept(TokenKind::RightParen))
                return failHere(err::kSyntaxInInsert);
        }
        if (acceptKeyword("VALUES")) {
            if (!accept(TokenKind::LeftParen))
                return failHere(err::kSyntaxInInsert);
            do {
                auto e = parseExpr();
                if (!e)
                    return false;
                s.values.push_back(std::move(e));
            } while (accept(TokenKind::Comma));
            if (!accept(TokenKind::RightParen))
                return failHere(err::kSyntaxInInsert);
            return true;
        }
        if (peek().isKeyword("SELECT")) {
            s.select = std::make_unique<SelectStatement>();
            return parseSelect(*s.select, false);
        }
        return failHere(err::kSyntaxInInsert);
    }

    // Expressions, lowest precedence first, as Jet (and VBA) bind them:
    //   or := and {OR and}; and := not {AND not}; not := NOT not | compare
    //   compare := concat [(= <> < <= > >=) concat | IS [NOT] NULL | [NOT] LIKE concat
    //              | [NOT] IN (list) | [NOT] BETWEEN concat AND concat]
    //   concat := additive {& additive}; additive := modulo {(+|-) modulo}
    //   modulo := intdiv {MOD intdiv}; intdiv := term {\ term}; term := unary {(*|/) unary}
    //   unary := (-|+) unary | power; power := primary {^ unary}
    ExprPtr parseExpr() {
        if (++m_depth > kMaxDepth) {
            --m_depth;
            fail(err::kExpressionTooComplex, peek().offset);
            return nullptr;
        }
        auto e = parseOr();
        --m_depth;
        return e;
    }

    ExprPtr binary(Op op, ExprPtr left, ExprPtr right) {
        auto e = makeExpr(ExprKind::Binary, left->offset);
        e->op = op;
        e->left = std::move(left);
        e->right = std::move(right);
        return e;
    }

    ExprPtr parseOr() {
        auto left = parseAnd();
        while (left && peek().isKeyword("OR")) {
            advance();
            auto right = parseAnd();
            if (!right)
                return nullptr;
            left = binary(Op::Or, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseAnd() {
        auto left = parseNot();
        while (left && peek().isKeyword("AND")) {
            advance();
            auto right = parseNot();
            if (!right)
                return nullptr;
            left = binary(Op::And, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseNot() {
        if (peek().isKeyword("NOT")) {
            const size_t offset = advance().offset;
            if (++m_depth > kMaxDepth) {
                fail(err::kExpressionTooComplex, offset);
                return nullptr;
            }
            auto inner = parseNot();
            --m_depth;
            if (!inner)
                return nullptr;
            auto e = makeExpr(ExprKind::Unary, offset);
            e->op = Op::Not;
            e->left = std::move(inner);
            return e;
        }
        return parseCompare();
    }

    ExprPtr parseCompare() {
        auto left = parseConcat();
        if (!left)
            return nullptr;
        const Token& t = peek();
        Op op;
        switch (t.kind) {
            case TokenKind::Equal:
                op = Op::Equal;
                break;
            case TokenKind::NotEqual:
                op = Op::NotEqual;
                break;
            case TokenKind::Less:
                op = Op::Less;
                break;
            case TokenKind::LessEqual:
                op = Op::LessEqual;
                break;
            case TokenKind::Greater:
                op = Op::Greater;
                break;
            case TokenKind::GreaterEqual:
                op = Op::GreaterEqual;
                break;
            default:
                return parsePredicate(std::move(left));
        }
        advance();
        auto right = parseConcat();
        if (!right)
            return nullptr;
        return binary(op, std::move(left), std::move(right));
    }

    ExprPtr parsePredicate(ExprPtr left) {
        if (peek().isKeyword("IS")) {
            advance();
            auto e = makeExpr(ExprKind::IsNull, left->offset);
            e->negated = acceptKeyword("NOT");
            if (!acceptKeyword("NULL")) {
                fail(err::kSyntaxInExpression, left->offset);
                return nullptr;
            }
            e->left = std::move(left);
            return e;
        }
        bool negated = false;
        if (peek().isKeyword("NOT") && (peek(1).isKeyword("LIKE") || peek(1).isKeyword("IN") ||
                                        peek(1).isKeyword("BETWEEN"))) {
            advance();
            negated = true;
        }
        if (acceptKeyword("LIKE")) {
            auto e = makeExpr(ExprKind::Like, left->offset);
            e->negated = negated;
            e->left = std::move(left);
            e->right = parseConcat();
            if (!e->right)
                return nullptr;
            return e;
        }
        if (acceptKeyword("IN")) {
            auto e = makeExpr(ExprKind::In, left->offset);
            e->negated = negated;
            e->left = std::move(left);
            if (!accept(TokenKind::LeftParen)) {
                fail(err::kSyntaxInExpression, e->offset);
                return nullptr;
            }
            do {
                auto item = parseExpr();
                if (!item)
                    return nullptr;
                e->list.push_back(std::move(item));
            } while (accept(TokenKind::Comma));
            if (!accept(TokenKind::RightParen)) {
                fail(err::kSyntaxInExpression, e->offset);
                return nullptr;
            }
            return e;
        }
        if (acceptKeyword("BETWEEN")) {
            auto e = makeExpr(ExprKind::Between, left->offset);
            e->negated = negated;
            e->left = std::move(left);
            auto low = parseConcat();
            if (!low)
                return nullptr;
            if (!acceptKeyword("AND")) {
                fail(expressionError(ExpressionFault::BetweenWithoutAnd));
                return nullptr;
            }
            auto high = parseConcat();
            if (!high)
                return nullptr;
            e->list.push_back(std::move(low));
            e->list.push_back(std::move(high));
            return e;
        }
        return left;
    }

    ExprPtr parseConcat() {
        auto left = parseAdditive();
        while (left && peek().kind == TokenKind::Ampersand) {
            advance();
            auto right = parseAdditive();
            if (!right)
                return nullptr;
            left = binary(Op::Concat, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseAdditive() {
        auto left = parseModulo();
        while (left && (peek().kind == TokenKind::Plus || peek().kind == TokenKind::Minus)) {
            const Op op = advance().kind == TokenKind::Plus ? Op::Add : Op::Subtract;
            auto right = parseModulo();
            if (!right)
                return nullptr;
            left = binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseModulo() {
        auto left = parseIntDivide();
        while (left && peek().isKeyword("MOD")) {
            advance();
            auto right = parseIntDivide();
            if (!right)
                return nullptr;
            left = binary(Op::Modulo, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseIntDivide() {
        auto left = parseTerm();
        while (left && peek().kind == TokenKind::Backslash) {
            advance();
            auto right = parseTerm();
            if (!right)
                return nullptr;
            left = binary(Op::IntDivide, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseTerm() {
        auto left = parseUnary();
        while (left && (peek().kind == TokenKind::Star || peek().kind == TokenKind::Slash)) {
            const Op op = advance().kind == TokenKind::Star ? Op::Multiply : Op::Divide;
            auto right = parseUnary();
            if (!right)
                return nullptr;
            left = binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr parseUnary() {
        if (peek().kind == TokenKind::Minus || peek().kind == TokenKind::Plus) {
            const Token& t = advance();
            if (++m_depth > kMaxDepth) {
                fail(err::kExpressionTooComplex, t.offset);
                return nullptr;
            }
            auto inner = parseUnary();
            --m_depth;
            if (!inner)
                return nullptr;
            auto e = makeExpr(ExprKind::Unary, t.offset);
            e->op = t.kind == TokenKind::Minus ? Op::Negate : Op::Plus;
            e->left = std::move(inner);
            return e;
        }
        return parsePower();
    }

    ExprPtr parsePower() {
        auto left = parsePrimary();
        while (left && peek().kind == TokenKind::Caret) {
            advance();
            auto right = parseUnary();
            if (!right)
                return nullptr;
            left = binary(Op::Power, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr literal(store::Value v, size_t offset) {
        auto e = makeExpr(ExprKind::Literal, offset);
        e->value = std::move(v);
        return e;
    }

    // primary := number | string | #date# | TRUE | FALSE | NULL | ( expr )
    //          | aggregate ( [*] expr ) | name [. name]
    ExprPtr parsePrimary() {
        const Token& t = peek();
        const size_t offset = t.offset;
        switch (t.kind) {
            case TokenKind::Integer:
            case TokenKind::Float:
            case TokenKind::String:
                advance();
                return literal(literalValue(t), offset);
            case TokenKind::Date: {
                auto days = parseDateLiteral(t.text);
                if (!days) {
                    fail(expressionError(ExpressionFault::BadDate, m_text.substr(offset)));
                    return nullptr;
                }
                advance();
                return literal(store::DateTime{*days}, offset);
            }
            case TokenKind::LeftParen: {
                advance();
                auto inner = parseExpr();
                if (!inner)
                    return nullptr;
                if (!accept(TokenKind::RightParen)) {
                    fail(err::kSyntaxInExpression, offset);
                    return nullptr;
                }
                return inner;
            }
            case TokenKind::Name:
                if (t.isKeyword("TRUE")) {
                    advance();
                    return literal(true, offset);
                }
                if (t.isKeyword("FALSE")) {
                    advance();
                    return literal(false, offset);
                }
                if (t.isKeyword("NULL")) {
                    advance();
                    return literal(store::Null{}, offset);
                }
                if (peek(1).kind == TokenKind::LeftParen)
                    return parseFunction();
                break;
            case TokenKind::Invalid:
                if (!t.text.empty() && (t.text[0] == '\'' || t.text[0] == '"')) {
                    fail(expressionError(ExpressionFault::BadString, t.text));
                    return nullptr;
                }
                if (!t.text.empty() && t.text[0] == '#') {
                    fail(expressionError(ExpressionFault::BadDate, t.text));
                    return nullptr;
                }
                if (!t.text.empty() && t.text[0] == '[') {
                    fail(namedJetError(err::kInvalidBracketing, t.text));
                    return nullptr;
                }
                break;
            default:
                break;
        }
        if (!isName(t)) {
            fail(m_code, offset);
            return nullptr;
        }
        auto e = makeExpr(ExprKind::Column, offset);
        e->name = advance().text;
        if (peek().kind == TokenKind::Dot) {
            advance();
            if (!isName(peek())) {
                fail(err::kSyntaxInExpression, offset);
                return nullptr;
            }
            e->table = std::move(e->name);
            e->name = advance().text;
        }
        if (peek().kind == TokenKind::Bang) {
            fail(err::kSyntaxInExpression, offset);
            return nullptr;
        }
        return e;
    }

    ExprPtr parseFunction() {
        const Token& nameToken = advance();
        const size_t offset = nameToken.offset;
        AggregateKind kind;
        if (nameToken.isKeyword("COUNT")) {
            kind = AggregateKind::Count;
        } else if (nameToken.isKeyword("SUM")) {
            kind = AggregateKind::Sum;
        } else if (nameToken.isKeyword("MIN")) {
            kind = AggregateKind::Min;
        } else if (nameToken.isKeyword("MAX")) {
            kind = AggregateKind::Max;
        } else if (nameToken.isKeyword("AVG")) {
            kind = AggregateKind::Avg;
        } else {
            fail(namedJetError(err::kUndefinedFunction, nameToken.text));
            return nullptr;
        }
        advance();  // (
        auto e = makeExpr(ExprKind::Aggregate, offset);
        e->aggregate = kind;
        if (kind == AggregateKind::Count && peek().kind == TokenKind::Star) {
            advance();
        } else {
            e->left = parseExpr();
            if (!e->left)
                return nullptr;
        }
        if (!accept(TokenKind::RightParen)) {
            fail(err::kSyntaxInExpression, offset);
            return nullptr;
        }
        return e;
    }

    static constexpr int kMaxDepth = 200;

    std::string_view m_text;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_depth = 0;
    int m_code = err::kSyntaxInExpression;
    bool m_failed = false;
    Status m_error;
    std::vector<ParameterDecl> m_parameters;
};

bool parseInt(std::string_view s, size_t& i, int& out, int maxDigits) {
    int digits = 0;
    out = 0;
    while (i < s.size() && digits < maxDigits && s[i] >= '0' && s[i] <= '9') {
        out = out * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    return digits > 0;
}

}  // namespace

std::optional<double> parseDateLiteral(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    int a = 0, b = 0, c = 0;
    int year, month, dayOfMonth;
    bool haveDate = false;
    size_t save = i;
    if (parseInt(s, i, a, 4)) {
        if (i < s.size() && (s[i] == '-' || s[i] == '/') && i - save == 4) {
            const char sep = s[i++];
            if (!parseInt(s, i, b, 2) || i >= s.size() || s[i++] != sep || !parseInt(s, i, c, 2))
                return std::nullopt;
            year = a, month = b, dayOfMonth = c;
            haveDate = true;
        } else if (i < s.size() && (s[i] == '/' || s[i] == '-')) {
            const char sep = s[i++];
            if (!parseInt(s, i, b, 2) || i >= s.size() || s[i++] != sep || !parseInt(s, i, c, 4))
                return std::nullopt;
            month = a, dayOfMonth = b, year = c;
            if (year < 100)
                year += year < 30 ? 2000 : 1900;
            haveDate = true;
        } else {
            i = save;
        }
    }
    int64_t day = 0;
    if (haveDate) {
        if (!isAccessCalendarDate(year, month, dayOfMonth))
            return std::nullopt;
        day = accessDayOf(year, unsigned(month), unsigned(dayOfMonth));
        while (i < s.size() && s[i] == ' ')
            ++i;
    }
    if (i < s.size()) {
        int h = 0, mi = 0, sec = 0;
        if (!parseInt(s, i, h, 2) || i >= s.size() || s[i++] != ':' || !parseInt(s, i, mi, 2))
            return std::nullopt;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!parseInt(s, i, sec, 2))
                return std::nullopt;
        }
        while (i < s.size() && s[i] == ' ')
            ++i;
        if (i + 1 < s.size() + 1 && i < s.size()) {
            std::string_view rest = s.substr(i);
            if (equalsIgnoreCase(rest, "AM")) {
                if (h == 12)
                    h = 0;
            } else if (equalsIgnoreCase(rest, "PM")) {
                if (h < 12)
                    h += 12;
            } else {
                return std::nullopt;
            }
            i = s.size();
        }
        if (h > 23 || mi > 59 || sec > 59)
            return std::nullopt;
        return accessDateOf(day, h * 3600 + mi * 60 + sec);
    }
    if (!haveDate)
        return std::nullopt;
    return accessDateOf(day, 0);
}

store::Value literalValue(TokenKind kind, std::string text) {
    if (kind == TokenKind::String)
        return text;
    if (kind == TokenKind::Integer) {
        int64_t v = 0;
        auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        // Whole numbers beyond Long are Double, as Jet reads them.
        if (ec == std::errc() && v <= INT32_MAX)
            return v;
    }
    // The lexer gives only shapes readNumber takes; one too large for a double is infinite.
    return readNumber(text).value_or(HUGE_VAL);
}

store::Value literalValue(const Token& t) {
    return literalValue(t.kind, t.text);
}

Result<Statement> parseStatement(std::string_view text) {
    Parser parser(text);
    VELMORA_ASSIGN_OR_RETURN(Statement st, parser.run());
    // Declared parameters need values, which a statement given as text cannot carry.
    if (const size_t declared = parser.takeParameters().size(); declared > 0)
        return namedJetError(err::kTooFewParameters, std::to_string(declared));
    return st;
}

Result<DeclaredStatement> parseDeclaredStatement(std::string_view text) {
    Parser parser(text);
    VELMORA_ASSIGN_OR_RETURN(Statement st, parser.run());
    return DeclaredStatement{parser.takeParameters(), std::move(st)};
}

}  // namespace velmora::engine::sql
