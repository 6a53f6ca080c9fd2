#include "engine/sql/expression.h"

#include <algorithm>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/sql/lexer.h"
#include "engine/store/schema.h"
#include "engine/store/value_conversion.h"

namespace velmora::engine::sql {

using store::ColumnType;
using store::Value;

namespace {

bool isTextType(ColumnType t) {
    return t == ColumnType::Text || t == ColumnType::Memo;
}

bool isNumberType(ColumnType t) {
    switch (t) {
        case ColumnType::Boolean:
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::Currency:
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime:
        case ColumnType::Numeric:
            return true;
        default:
            return false;
    }
}

bool isComparison(Op op) {
    switch (op) {
        case Op::Equal:
        case Op::NotEqual:
        case Op::Less:
        case Op::LessEqual:
        case Op::Greater:
        case Op::GreaterEqual:
            return true;
        default:
            return false;
    }
}

Status mismatch() {
    return jetError(err::kTypeMismatch);
}

Value truthValue(Truth t) {
    if (t == Truth::Null)
        return store::Null{};
    return t == Truth::True;
}

Truth toTruth(const Value& v) {
    if (store::isNull(v))
        return Truth::Null;
    if (auto n = store::numericValue(v))
        return *n != 0 ? Truth::True : Truth::False;
    return Truth::True;
}

Result<Truth> compareTruth(Op op, const Value& a, const Value& b) {
    if (store::isNull(a) || store::isNull(b))
        return Truth::Null;
    VELMORA_ASSIGN_OR_RETURN(int c, compareValues(a, b));
    bool r = false;
    switch (op) {
        case Op::Equal:
            r = c == 0;
            break;
        case Op::NotEqual:
            r = c != 0;
            break;
        case Op::Less:
            r = c < 0;
            break;
        case Op::LessEqual:
            r = c <= 0;
            break;
        case Op::Greater:
            r = c > 0;
            break;
        case Op::GreaterEqual:
            r = c >= 0;
            break;
        default:
            break;
    }
    return r ? Truth::True : Truth::False;
}

}  // namespace

int textCapacity(const store::ColumnDef& column) {
    return column.maxChars(true);
}

Status Binder::bindColumn(Expr& e) {
    // A statement kept by the statement cache is bound again on every run.
    e.slot = e.column = e.parameter = -1;
    int foundSlot = -1, foundColumn = -1;
    for (size_t s = 0; s < m_sources.size(); ++s) {
        const Source& src = m_sources[s];
        if (!e.table.empty() && !store::sameName(src.visibleName(), e.table))
            continue;
        auto col = src.table->schema().findColumn(e.name);
        if (!col)
            continue;
        if (foundSlot >= 0) {
            return namedJetError(err::kAmbiguousField, e.name);
        }
        foundSlot = static_cast<int>(s);
        foundColumn = static_cast<int>(*col);
    }
    if (foundSlot < 0) {
        const std::string full = e.table.empty() ? e.name : e.table + "." + e.name;
        auto it = std::find_if(m_parameters.begin(), m_parameters.end(),
                               [&](const std::string& p) { return store::sameName(p, full); });
        e.parameter = static_cast<int>(it - m_parameters.begin());
        if (it == m_parameters.end())
            m_parameters.push_back(full);
        return Status::ok();
    }
    e.slot = foundSlot;
    e.column = foundColumn;
    return Status::ok();
}

Status Binder::checkComparable(const Expr& a, const Expr& b) const {
    // Jet refuses a criterion that compares a column with a literal of another kind at once,
    // even when no row would be compared.
    const Expr* column = nullptr;
    const Expr* lit = nullptr;
    if (a.kind == ExprKind::Column && b.kind == ExprKind::Literal) {
        column = &a;
        lit = &b;
    } else if (b.kind == ExprKind::Column && a.kind == ExprKind::Literal) {
        column = &b;
        lit = &a;
    } else {
        return Status::ok();
    }
    if (column->slot < 0 || store::isNull(lit->value))
        return Status::ok();
    const ColumnType t = m_sources[column->slot].table->schema().columns[column->column].type;
    const ValueClass lc = classify(lit->value);
    if (isNumberType(t) && lc == ValueClass::Text)
        return mismatch();
    if (isTextType(t) && lc == ValueClass::Number)
        return mismatch();
    return Status::ok();
}

Status Binder::bind(Expr& e, std::vector<Expr*>* aggregates) {
    switch (e.kind) {
        case ExprKind::Literal:
            return Status::ok();
        case ExprKind::Column:
            return bindColumn(e);
        case ExprKind::Aggregate:
            if (!aggregates) {
                return jetError(err::kAggregateInWhere);
            }
            if (e.left) {
                // No aggregate inside an aggregate.
                if (hasAggregate(*e.left)) {
                    return Status::error(err::kNotInAggregate,
                                         "Cannot have aggregate function in expression.");
                }
                VELMORA_RETURN_IF_ERROR(bind(*e.left, nullptr));
            }
            e.aggregateIndex = static_cast<int>(aggregates->size());
            aggregates->push_back(&e);
            return Status::ok();
        default:
            break;
    }
    if (e.left)
        VELMORA_RETURN_IF_ERROR(bind(*e.left, aggregates));
    if (e.right)
        VELMORA_RETURN_IF_ERROR(bind(*e.right, aggregates));
    for (auto& item : e.list)
        VELMORA_RETURN_IF_ERROR(bind(*item, aggregates));
    if (e.kind == ExprKind::Binary && isComparison(e.op))
        return checkComparable(*e.left, *e.right);
    if (e.kind == ExprKind::In || e.kind == ExprKind::Between) {
        for (auto& item : e.list)
            VELMORA_RETURN_IF_ERROR(checkComparable(*e.left, *item));
    }
    return Status::ok();
}

Status Binder::checkParameters() const {
    if (m_parameters.empty())
        return Status::ok();
    return namedJetError(err::kTooFewParameters, std::to_string(m_parameters.size()));
}

ExprType Binder::typeOf(const Expr& e) const {
    switch (e.kind) {
        case ExprKind::Literal:
            switch (e.value.index()) {
                case 1:
                    return {ColumnType::Boolean, 1};
                case 2:
                    return {ColumnType::Long, 4};
                case 4:
                    return {ColumnType::Double, 8};
                case 6:
                    return {ColumnType::DateTime, 8};
                default:
                    return {ColumnType::Text, 255};
            }
        case ExprKind::Column: {
            if (e.slot < 0)
                return {ColumnType::Text, 255};
            const auto& col = m_sources[e.slot].table->schema().columns[e.column];
            int size = 0;
            switch (col.type) {
                case ColumnType::Text:
                    size = textCapacity(col);
                    break;
                case ColumnType::Memo:
                case ColumnType::Ole:
                    size = 0;
                    break;
                default:
                    size = col.length;
                    break;
            }
            return {col.type, size};
        }
        case ExprKind::Aggregate:
            switch (e.aggregate) {
                case AggregateKind::Count:
                    return {ColumnType::Long, 4};
                case AggregateKind::Avg:
                    return {ColumnType::Double, 8};
                case AggregateKind::Sum: {
                    const ExprType inner = typeOf(*e.left);
                    if (inner.type == ColumnType::Currency)
                        return inner;
                    return {ColumnType::Double, 8};
                }
                default:
                    return typeOf(*e.left);
            }
        case ExprKind::Unary:
            if (e.op == Op::Not)
                return {ColumnType::Boolean, 1};
            return typeOf(*e.left);
        case ExprKind::Binary:
            if (e.op == Op::Concat)
                return {ColumnType::Text, 255};
            if (e.op == Op::And || e.op == Op::Or || isComparison(e.op))
                return {ColumnType::Boolean, 1};
            {
                const ExprType a = typeOf(*e.left), b = typeOf(*e.right);
                if (isTextType(a.type) && isTextType(b.type))
                    return {ColumnType::Text, 255};
                const auto whole = [](ColumnType t) {
                    return t == ColumnType::Byte || t == ColumnType::Integer ||
                           t == ColumnType::Long;
                };
                if (whole(a.type) && whole(b.type) && e.op != Op::Divide && e.op != Op::Power)
                    return {ColumnType::Long, 4};
                return {ColumnType::Double, 8};
            }
        default:
            return {ColumnType::Boolean, 1};
    }
}

bool readColumn(const Expr& e, const EvalContext& ctx, Value& out) {
    if (e.kind != ExprKind::Column || e.slot < 0)
        return false;
    const store::RowId id = ctx.tuple[e.slot];
    if (id == kNoRow)
        out = store::Null{};
    else
        (*ctx.sources)[e.slot].table->valueInto(id, static_cast<size_t>(e.column), out);
    return true;
}

Result<Value> evaluate(const Expr& e, const EvalContext& ctx) {
    switch (e.kind) {
        case ExprKind::Literal:
            return e.value;
        case ExprKind::Column: {
            const store::RowId id = ctx.tuple[e.slot];
            if (id == kNoRow)
                return Value(store::Null{});
            return (*ctx.sources)[e.slot].table->value(id, static_cast<size_t>(e.column));
        }
        case ExprKind::Aggregate:
            return (*ctx.aggregates)[e.aggregateIndex];
        case ExprKind::Unary: {
            if (e.op == Op::Not) {
                VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(*e.left, ctx));
                return truthValue(t == Truth::Null
                                      ? Truth::Null
                                      : (t == Truth::True ? Truth::False : Truth::True));
            }
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*e.left, ctx));
            if (e.op == Op::Plus || store::isNull(v))
                return v;
            if (auto* i = std::get_if<int64_t>(&v); i && *i != INT64_MIN)
                return Value(-*i);
            auto n = store::numericValue(v);
            if (!n)
                return mismatch();
            return Value(-*n);
        }
        case ExprKind::Binary:
            if (e.op == Op::And || e.op == Op::Or || isComparison(e.op)) {
                VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(e, ctx));
                return truthValue(t);
            }
            {
                VELMORA_ASSIGN_OR_RETURN(Value a, evaluate(*e.left, ctx));
                VELMORA_ASSIGN_OR_RETURN(Value b, evaluate(*e.right, ctx));
                return arithmetic(e.op, a, b);
            }
        default: {
            VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(e, ctx));
            return truthValue(t);
        }
    }
}

Result<Truth> evaluateCondition(const Expr& e, const EvalContext& ctx) {
    switch (e.kind) {
        case ExprKind::Binary:
            if (e.op == Op::And) {
                VELMORA_ASSIGN_OR_RETURN(Truth a, evaluateCondition(*e.left, ctx));
                if (a == Truth::False)
                    return Truth::False;
                VELMORA_ASSIGN_OR_RETURN(Truth b, evaluateCondition(*e.right, ctx));
                if (b == Truth::False)
                    return Truth::False;
                return a == Truth::True && b == Truth::True ? Truth::True : Truth::Null;
            }
            if (e.op == Op::Or) {
                VELMORA_ASSIGN_OR_RETURN(Truth a, evaluateCondition(*e.left, ctx));
                if (a == Truth::True)
                    return Truth::True;
                VELMORA_ASSIGN_OR_RETURN(Truth b, evaluateCondition(*e.right, ctx));
                if (b == Truth::True)
                    return Truth::True;
                return a == Truth::False && b == Truth::False ? Truth::False : Truth::Null;
            }
            if (isComparison(e.op)) {
                // Literals are compared where they stand.
                Value ca, cb;
                const Value* a = &ca;
                if (e.left->kind == ExprKind::Literal) {
                    a = &e.left->value;
                } else if (!readColumn(*e.left, ctx, ca)) {
                    VELMORA_ASSIGN_OR_RETURN(ca, evaluate(*e.left, ctx));
                }
                const Value* b = &cb;
                if (e.right->kind == ExprKind::Literal) {
                    b = &e.right->value;
                } else if (!readColumn(*e.right, ctx, cb)) {
                    VELMORA_ASSIGN_OR_RETURN(cb, evaluate(*e.right, ctx));
                }
                return compareTruth(e.op, *a, *b);
            }
            break;
        case ExprKind::IsNull: {
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*e.left, ctx));
            return store::isNull(v) != e.negated ? Truth::True : Truth::False;
        }
        case ExprKind::Like: {
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*e.left, ctx));
            VELMORA_ASSIGN_OR_RETURN(Value p, evaluate(*e.right, ctx));
            if (store::isNull(v) || store::isNull(p))
                return Truth::Null;
            const bool hit = likeMatches(displayText(v), displayText(p));
            return hit != e.negated ? Truth::True : Truth::False;
        }
        case ExprKind::In: {
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*e.left, ctx));
            if (store::isNull(v))
                return Truth::Null;
            bool sawNull = false;
            for (const auto& item : e.list) {
                VELMORA_ASSIGN_OR_RETURN(Value w, evaluate(*item, ctx));
                VELMORA_ASSIGN_OR_RETURN(Truth t, compareTruth(Op::Equal, v, w));
                if (t == Truth::True)
                    return e.negated ? Truth::False : Truth::True;
                sawNull = sawNull || t == Truth::Null;
            }
            if (sawNull)
                return Truth::Null;
            return e.negated ? Truth::True : Truth::False;
        }
        case ExprKind::Between: {
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*e.left, ctx));
            VELMORA_ASSIGN_OR_RETURN(Value lo, evaluate(*e.list[0], ctx));
            VELMORA_ASSIGN_OR_RETURN(Value hi, evaluate(*e.list[1], ctx));
            VELMORA_ASSIGN_OR_RETURN(Truth a, compareTruth(Op::GreaterEqual, v, lo));
            VELMORA_ASSIGN_OR_RETURN(Truth b, compareTruth(Op::LessEqual, v, hi));
            Truth t = (a == Truth::False || b == Truth::False) ? Truth::False
                      : (a == Truth::True && b == Truth::True) ? Truth::True
                                                               : Truth::Null;
            if (e.negated && t != Truth::Null)
                t = t == Truth::True ? Truth::False : Truth::True;
            return t;
        }
        default:
            break;
    }
    VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(e, ctx));
    return toTruth(v);
}

void conjuncts(Expr* e, std::vector<Expr*>& out) {
    if (!e)
        return;
    if (e->kind == ExprKind::Binary && e->op == Op::And) {
        conjuncts(e->left.get(), out);
        conjuncts(e->right.get(), out);
        return;
    }
    out.push_back(e);
}

bool isColumnOf(const Expr& e, int slot) {
    return e.kind == ExprKind::Column && e.slot == slot && e.slot >= 0;
}

void slotsUsed(const Expr& e, std::vector<int>& out) {
    if (e.kind == ExprKind::Column && e.slot >= 0) {
        if (std::find(out.begin(), out.end(), e.slot) == out.end())
            out.push_back(e.slot);
    }
    if (e.left)
        slotsUsed(*e.left, out);
    if (e.right)
        slotsUsed(*e.right, out);
    for (const auto& item : e.list)
        slotsUsed(*item, out);
}

bool hasAggregate(const Expr& e) {
    if (e.kind == ExprKind::Aggregate)
        return true;
    if (e.left && hasAggregate(*e.left))
        return true;
    if (e.right && hasAggregate(*e.right))
        return true;
    for (const auto& item : e.list) {
        if (hasAggregate(*item))
            return true;
    }
    return false;
}

}  // namespace velmora::engine::sql
