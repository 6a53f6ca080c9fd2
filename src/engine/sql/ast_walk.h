// Visiting every expression of a statement: the select list, FROM's join conditions, WHERE,
// GROUP BY, HAVING, ORDER BY, UPDATE's assignments and INSERT's values. Used by whatever
// rewrites or collects nodes of a parsed statement once, before it is run many times.
#pragma once

#include "engine/sql/ast.h"

namespace velmora::engine::sql {

// f(expr) for `e` and every expression below it, parents before children.
template <class F>
void forEachExpr(Expr* e, F& f) {
    if (!e)
        return;
    f(*e);
    forEachExpr(e->left.get(), f);
    forEachExpr(e->right.get(), f);
    for (auto& item : e->list)
        forEachExpr(item.get(), f);
}

template <class F>
void forEachExpr(SelectStatement& s, F& f);

template <class F>
void forEachExpr(FromNode* node, F& f) {
    if (!node || !node->isJoin)
        return;
    forEachExpr(node->left.get(), f);
    forEachExpr(node->right.get(), f);
    forEachExpr(node->on.get(), f);
}

template <class F>
void forEachExpr(SelectStatement& s, F& f) {
    for (auto& item : s.items)
        forEachExpr(item.expr.get(), f);
    for (auto& node : s.from)
        forEachExpr(node.get(), f);
    forEachExpr(s.where.get(), f);
    for (auto& g : s.groupBy)
        forEachExpr(g.get(), f);
    forEachExpr(s.having.get(), f);
    for (auto& o : s.orderBy)
        forEachExpr(o.expr.get(), f);
}

template <class F>
void forEachExpr(Statement& st, F& f) {
    if (auto* s = std::get_if<SelectStatement>(&st)) {
        forEachExpr(*s, f);
    } else if (auto* d = std::get_if<DeleteStatement>(&st)) {
        forEachExpr(d->where.get(), f);
    } else if (auto* u = std::get_if<UpdateStatement>(&st)) {
        for (auto& a : u->assignments)
            forEachExpr(a.value.get(), f);
        forEachExpr(u->where.get(), f);
    } else {
        auto& i = std::get<InsertStatement>(st);
        for (auto& v : i.values)
            forEachExpr(v.get(), f);
        if (i.select)
            forEachExpr(*i.select, f);
    }
}

}  // namespace velmora::engine::sql
