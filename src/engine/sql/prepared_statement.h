// A statement parsed once and run many times with new values for the parameters it declares
// (PARAMETERS pSid Long, pSource Text; SELECT ... WHERE SID = pSid AND SOURCEID = pSource).
//
// A command that looks up one row per grid row runs the same statement tens of thousands of
// times. Given as text, each run would be lexed and matched against the statement cache; here
// the tree is built once, every bare name of a declared parameter becomes a literal node, and
// setting a parameter writes its value into those nodes. The executor treats them as the
// literals they now are: "column = parameter" finds its rows through a hash lookup, and a
// SELECT keeps its binding to the tables from run to run.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "engine/base/status.h"
#include "engine/sql/ast.h"
#include "engine/sql/parser.h"

namespace velmora::engine::sql {

class PreparedStatement {
public:
    // Parses `text`; 3129 for a malformed PARAMETERS clause, the parser's errors otherwise.
    static Result<std::unique_ptr<PreparedStatement>> parse(std::string_view text);

    const std::vector<ParameterDecl>& parameters() const { return m_decls; }
    // The declared position of a parameter by name (letter case ignored); -1 when none.
    int find(std::string_view name) const;
    // Converts `value` to the parameter's declared type and gives it to the statement: 3421
    // when it does not convert. Null is a value like any other (and equals nothing).
    Status set(size_t position, const store::Value& value);
    // 3061 with the number of parameters not given a value yet.
    Status checkAllSet() const;

    Statement& statement() { return m_statement; }

private:
    PreparedStatement(DeclaredStatement declared);

    std::vector<ParameterDecl> m_decls;
    Statement m_statement;
    std::vector<std::vector<Expr*>> m_holders;  // per parameter: the nodes that stand for it
    std::vector<bool> m_given;
};

}  // namespace velmora::engine::sql
