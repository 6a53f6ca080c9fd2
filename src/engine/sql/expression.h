// Binding expressions to the tables of a statement, and evaluating them on a row of the
// FROM clause (one row id per table, or none where an outer join found nothing).
#pragma once

#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/sql/ast.h"
#include "engine/sql/value_ops.h"
#include "engine/store/table.h"

namespace velmora::engine::sql {

inline constexpr store::RowId kNoRow = static_cast<store::RowId>(-1);

// One table of the FROM clause.
struct Source {
    std::string name;   // as the catalog spells it
    std::string alias;  // "" when none
    store::Table* table = nullptr;

    // The name a qualifier must use: the alias when there is one.
    const std::string& visibleName() const { return alias.empty() ? name : alias; }
};

// Static type of an expression, for result columns.
struct ExprType {
    store::ColumnType type = store::ColumnType::Text;
    int size = 255;
};

// Characters a Text column holds. Jet 4 stores two bytes per character; until the storage
// tells the format, every table is taken as Jet 4's.
int textCapacity(const store::ColumnDef& column);

class Binder {
public:
    explicit Binder(std::vector<Source>& sources) : m_sources(sources) {}

    // Resolves column names (unknown ones become parameters), checks comparisons of a column
    // with a literal of another kind (3464) and, when `aggregates` is given, numbers the
    // aggregates and collects them; without it an aggregate is 3096 (`clause` names where).
    Status bind(Expr& e, std::vector<Expr*>* aggregates);
    // 3061 when any name was taken as a parameter.
    Status checkParameters() const;

    ExprType typeOf(const Expr& e) const;

private:
    Status bindColumn(Expr& e);
    Status checkComparable(const Expr& a, const Expr& b) const;

    std::vector<Source>& m_sources;
    std::vector<std::string> m_parameters;
};

struct EvalContext {
    const std::vector<Source>* sources = nullptr;
    const store::RowId* tuple = nullptr;                    // one id per source
    const std::vector<store::Value>* aggregates = nullptr;  // grouped rows
};

Result<store::Value> evaluate(const Expr& e, const EvalContext& ctx);
// The value a bound column reads, into `out` (reusing the text it may hold); false when e is
// no column.
bool readColumn(const Expr& e, const EvalContext& ctx, store::Value& out);
Result<Truth> evaluateCondition(const Expr& e, const EvalContext& ctx);

// Splits a condition at its top-level ANDs.
void conjuncts(Expr* e, std::vector<Expr*>& out);
// Whether e is a bound column of the given slot.
bool isColumnOf(const Expr& e, int slot);
// The slots a bound expression reads.
void slotsUsed(const Expr& e, std::vector<int>& out);

bool hasAggregate(const Expr& e);

}  // namespace velmora::engine::sql
