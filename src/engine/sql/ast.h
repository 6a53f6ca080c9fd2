// The syntax tree of a Jet SQL statement, as the parser builds it and the executor binds and
// runs it. Column references carry slots that the executor fills when it binds the statement
// to the tables of its FROM clause.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/store/value.h"

namespace velmora::engine::sql {

enum class ExprKind {
    Literal,    // value
    Column,     // [table.]name
    Unary,      // op applied to left
    Binary,     // left op right
    IsNull,     // left IS [NOT] NULL
    Like,       // left [NOT] LIKE right
    In,         // left [NOT] IN (list)
    Between,    // left [NOT] BETWEEN list[0] AND list[1]
    Aggregate,  // Count/Sum/Min/Max/Avg(left); left null for Count(*)
};

enum class Op {
    Not,
    Negate,
    Plus,  // unary plus, kept so "+x" is an expression of x
    And,
    Or,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Add,
    Subtract,
    Multiply,
    Divide,
    IntDivide,
    Modulo,
    Power,
    Concat,
};

enum class AggregateKind { Count, Sum, Min, Max, Avg };

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    ExprKind kind = ExprKind::Literal;
    size_t offset = 0;  // where the expression starts in the statement text

    store::Value value;  // Literal
    std::string table;   // Column: qualifier as written ("" when bare)
    std::string name;    // Column: the name as written
    Op op = Op::Equal;   // Unary, Binary
    AggregateKind aggregate = AggregateKind::Count;
    bool negated = false;  // IS NOT NULL, NOT LIKE, NOT IN, NOT BETWEEN
    ExprPtr left;
    ExprPtr right;
    std::vector<ExprPtr> list;  // In, Between

    // Filled by binding. A Column either names a table slot and column, or a parameter.
    int slot = -1;
    int column = -1;
    int parameter = -1;
    int aggregateIndex = -1;  // Aggregate: its place in the group's accumulators
};

struct SelectItem {
    ExprPtr expr;           // null for * and table.*
    std::string alias;      // AS name
    std::string starTable;  // table.* (empty with a bare *)
    bool star = false;
};

enum class JoinType { Inner, Left, Right };

struct TableRef {
    std::string name;
    std::string alias;  // "" when none
    size_t offset = 0;
};

// A FROM source: a table, or a join of two sources.
struct FromNode {
    bool isJoin = false;
    TableRef table;
    JoinType join = JoinType::Inner;
    std::unique_ptr<FromNode> left;
    std::unique_ptr<FromNode> right;
    ExprPtr on;
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

struct BoundSelect;  // the executor's binding of a SELECT (select_executor.cpp)

struct SelectStatement {
    bool distinct = false;
    std::vector<SelectItem> items;
    std::string into;                             // SELECT ... INTO table
    std::vector<std::unique_ptr<FromNode>> from;  // several: cross join
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<OrderItem> orderBy;

    // Kept by the executor after a successful run, so that running the statement again on the
    // same tables (with new literal values) does not bind it again.
    std::shared_ptr<BoundSelect> bound;
};

struct DeleteStatement {
    std::string table;
    ExprPtr where;
};

struct Assignment {
    std::string table;  // qualifier as written
    std::string column;
    ExprPtr value;
};

struct UpdateStatement {
    std::string table;
    std::vector<Assignment> assignments;
    ExprPtr where;
};

struct InsertStatement {
    std::string table;
    std::vector<std::string> columns;         // empty: every column in order
    std::vector<ExprPtr> values;              // INSERT ... VALUES
    std::unique_ptr<SelectStatement> select;  // INSERT ... SELECT
};

using Statement = std::variant<SelectStatement, DeleteStatement, UpdateStatement, InsertStatement>;

}  // namespace velmora::engine::sql
