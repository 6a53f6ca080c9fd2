// The recursive-descent parser of the Jet SQL dialect the program speaks, and a little more:
// SELECT (with INTO, joins, WHERE, GROUP BY, HAVING, ORDER BY), DELETE, UPDATE, INSERT.
//
// Errors carry the number Jet gives them: 3075 in an expression, 3131 in FROM, 3144 in UPDATE,
// 3134 in INSERT INTO, 3138 in ORDER BY, 3129 for a statement that starts with no known verb,
// 3142 for text after the end of the statement. A statement may be preceded by a PARAMETERS
// clause declaring names whose values are given when it is run (prepared_statement.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/base/status.h"
#include "engine/sql/ast.h"
#include "engine/sql/lexer.h"

namespace velmora::engine::sql {

// A statement may declare parameters in front of it ("PARAMETERS pSid Long, pName Text;");
// given as text alone, one that does is 3061, since nothing gives the parameters values.
Result<Statement> parseStatement(std::string_view text);

// A parameter a statement declares: its name and the type its values are converted to.
struct ParameterDecl {
    std::string name;
    store::ColumnType type = store::ColumnType::Text;
};
struct DeclaredStatement {
    std::vector<ParameterDecl> parameters;  // in declared order; empty when none
    Statement statement;
};
// The statement and the parameters it declares; a malformed PARAMETERS clause is 3129.
Result<DeclaredStatement> parseDeclaredStatement(std::string_view text);

// The value of a number or text literal token (Integer, Float, String), as the parser puts it
// into the statement.
store::Value literalValue(const Token& t);
// The same for a literal of `kind` holding `text` (as tokenText gives it).
store::Value literalValue(TokenKind kind, std::string text);

// The Jet date literal between the hashes (m/d/yyyy, yyyy-mm-dd, optional time) as days since
// 1899-12-30; nullopt when it is no date.
std::optional<double> parseDateLiteral(std::string_view text);

}  // namespace velmora::engine::sql
