#include "engine/sql/prepared_statement.h"

#include <algorithm>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/sql/ast_walk.h"
#include "engine/sql/lexer.h"
#include "engine/sql/value_ops.h"
#include "engine/store/row_rules.h"
#include "engine/store/value_conversion.h"

namespace velmora::engine::sql {

Result<std::unique_ptr<PreparedStatement>> PreparedStatement::parse(std::string_view text) {
    VELMORA_ASSIGN_OR_RETURN(DeclaredStatement declared, parseDeclaredStatement(text));
    return std::unique_ptr<PreparedStatement>(new PreparedStatement(std::move(declared)));
}

PreparedStatement::PreparedStatement(DeclaredStatement declared)
    : m_decls(std::move(declared.parameters)),
      m_statement(std::move(declared.statement)),
      m_holders(m_decls.size()),
      m_given(m_decls.size(), false) {
    // A bare name that is a declared parameter stands for its value wherever it appears; a
    // qualified name (CHANNELS.SID) is always a column.
    auto takeParameter = [&](Expr& e) {
        if (e.kind != ExprKind::Column || !e.table.empty())
            return;
        const int at = find(e.name);
        if (at < 0)
            return;
        e.kind = ExprKind::Literal;
        e.value = store::Null{};
        m_holders[static_cast<size_t>(at)].push_back(&e);
    };
    forEachExpr(m_statement, takeParameter);
}

int PreparedStatement::find(std::string_view name) const {
    // Callers nearly always spell a name as it was declared, and a save sets four parameters
    // for every row of the list: the exact spelling is looked for first.
    for (size_t i = 0; i < m_decls.size(); ++i) {
        if (m_decls[i].name == name)
            return static_cast<int>(i);
    }
    for (size_t i = 0; i < m_decls.size(); ++i) {
        if (equalsIgnoreCase(m_decls[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

Status PreparedStatement::set(size_t position, const store::Value& value) {
    const ParameterDecl& decl = m_decls.at(position);
    store::Value converted;
    if (decl.type == store::ColumnType::Text) {
        // A text parameter takes any value as the text it shows.
        converted = std::holds_alternative<std::string>(value) || store::isNull(value)
                        ? value
                        : store::Value(displayText(value));
    } else {
        store::ColumnDef column;
        column.name = decl.name;
        column.type = decl.type;
        VELMORA_ASSIGN_OR_RETURN(converted,
                                 store::convertForColumn(column, value, store::memoryRowRules()));
    }
    // A parameter stands in one place in nearly every statement: its last place takes the
    // value itself, the others a copy.
    const std::vector<Expr*>& holders = m_holders[position];
    for (size_t i = 0; i + 1 < holders.size(); ++i)
        holders[i]->value = converted;
    if (!holders.empty())
        holders.back()->value = std::move(converted);
    m_given[position] = true;
    return Status::ok();
}

Status PreparedStatement::checkAllSet() const {
    const auto missing = std::count(m_given.begin(), m_given.end(), false);
    if (missing == 0)
        return Status::ok();
    return namedJetError(err::kTooFewParameters, std::to_string(missing));
}

}  // namespace velmora::engine::sql
