// SELECT: the FROM clause as tuples of row ids (hash joins on equal columns, hash lookups
// for equality conditions on one table), then WHERE, grouping, HAVING, the select list,
// ORDER BY and DISTINCT.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <span>
#include <string_view>
#include <unordered_map>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/sql/executor.h"
#include "engine/sql/expression.h"
#include "engine/store/hashed_ids.h"
#include "engine/store/value_conversion.h"

namespace velmora::engine::sql {

using store::RowId;
using store::Value;

namespace {

// Tuples of row ids, `width` ids each (one per source, kNoRow where a table has no row).
struct Tuples {
    size_t width = 0;
    std::vector<RowId> ids;
    size_t count() const { return width == 0 ? 0 : ids.size() / width; }
    const RowId* at(size_t i) const { return ids.data() + i * width; }
};

// Keys of one side of a join with the tuple each belongs to: the keys share one buffer and
// entries of equal hash are chained through arrays. find() gives the tuples of a key in the
// order they were added.
class KeyChains {
public:
    void reserve(size_t n) {
        m_start.reserve(n + 1);
        m_tuple.reserve(n);
    }
    void add(std::string_view key, size_t tuple) {
        m_start.push_back(m_keys.size());
        m_keys.append(key);
        m_tuple.push_back(tuple);
    }
    // Builds the chains once every key is added.
    void link() {
        const size_t n = m_tuple.size();
        m_start.push_back(m_keys.size());
        size_t buckets = 16;
        while (buckets < 2 * n)
            buckets *= 2;
        m_mask = buckets - 1;
        m_head.assign(buckets, kEnd);
        m_next.assign(n, kEnd);
        // Linked from the last entry to the first, so each chain runs in the order added.
        for (size_t i = n; i-- > 0;) {
            const size_t b = std::hash<std::string_view>{}(keyAt(i)) & m_mask;
            m_next[i] = m_head[b];
            m_head[b] = static_cast<uint32_t>(i);
        }
    }
    void find(std::string_view key, std::vector<size_t>& out) const {
        out.clear();
        if (m_head.empty())
            return;
        for (uint32_t i = m_head[std::hash<std::string_view>{}(key)&m_mask]; i != kEnd;
             i = m_next[i]) {
            if (keyAt(i) == key)
                out.push_back(m_tuple[i]);
        }
    }

private:
    static constexpr uint32_t kEnd = UINT32_MAX;
    std::string_view keyAt(size_t i) const {
        return std::string_view(m_keys).substr(m_start[i], m_start[i + 1] - m_start[i]);
    }
    std::string m_keys;
    std::vector<size_t> m_start;
    std::vector<size_t> m_tuple;
    std::vector<uint32_t> m_head;
    std::vector<uint32_t> m_next;
    size_t m_mask = 0;
};

}  // namespace

// What binding a SELECT to its tables decided. It holds only what follows from the statement's
// shape and the tables' schemas, never a literal's value, so it is kept with the statement and
// used again while each FROM name finds a table with the stamp it had (Table::schemaStamp).
struct BoundSelect {
    std::vector<uint64_t> stamps;  // per source
    std::vector<Source> sources;
    std::unordered_map<const FromNode*, int> slotOf;
    std::vector<ExprPtr> starColumns;  // columns the * items stand for

    // The select list, with * and table.* standing for the columns they name.
    struct OutItem {
        Expr* expr;
        std::string alias;
    };
    std::vector<OutItem> items;
    std::vector<Expr*> aggregates;
    bool grouped = false;
    bool updatable = false;
    std::vector<ResultColumn> columns;  // types of items other than columns are set per run

    // WHERE's "column = literal" conjuncts on a single table: a hash lookup finds their rows.
    // `lookupColumns` are the distinct columns ascending, each with the literal of its first
    // conjunct; `rest` are the conjuncts left to evaluate on each row (a second one on a
    // column among them).
    std::vector<int> lookupColumns;
    std::vector<const Expr*> lookupLiterals;
    std::vector<const Expr*> rest;

    // Buffers a run fills and leaves behind, so that the next run of this statement does not
    // allocate them again: the lookup's key and, per source, the values of the row last split.
    std::string lookupKey;
    std::vector<std::vector<std::string_view>> split;
};

namespace {

class Groups;

class SelectRunner {
public:
    SelectRunner(Session& session, SelectStatement& s, QueryResult& result)
        : m_session(session), m_s(s), m_result(result) {}

    Status run();

private:
    // Takes the statement's kept binding when it still holds, else binds it anew.
    Status bindStatement();
    bool keptBindingHolds();
    bool sameTables(const FromNode& node, size_t& slot);
    Status collectSources(FromNode& node);
    Status bindJoins(FromNode& node, Binder& binder);
    void planLookup();
    Status evalFrom(const FromNode& node, Tuples& out);
    Status evalLeaf(int slot, Tuples& out);
    Status join(const FromNode& node, const Tuples& left, const Tuples& right, Tuples& out);
    std::vector<RowId> equalityCandidates(bool& used);
    Status checkGrouped(const Expr& e) const;
    Status bindItems(Binder& binder);
    void nameColumns(const Binder& binder);

    // The phases of a run, in order; each takes what the one before left in m_tuples and
    // m_result.
    Status readFrom();
    Status filterWhere();
    void typeColumns();
    void startProjection();
    Status projectRows();
    Status projectGroups();
    bool groupKeysFromRows() const;
    void groupKeyOf(size_t row, std::string& key);
    Status accumulateGroups(Groups& groups);
    std::vector<uint32_t> havingGroups(Groups& groups) const;
    const RowId* groupTuple(const Groups& groups, size_t g, const std::vector<RowId>& noRow) const;
    Status projectRow(const EvalContext& ctx);
    void orderRows();
    std::vector<size_t> sortedRows(const std::vector<std::string>& rowKeys);

    Session& m_session;
    SelectStatement& m_s;
    std::shared_ptr<BoundSelect> m_b;

    Tuples m_tuples;
    // Filled anew; the rows and columns an earlier run left in it lend their storage.
    QueryResult& m_result;
    // The ORDER BY keys of every result row, back to back in one buffer: key k of row r runs
    // from m_orderStart[r * keys + k] to the next start.
    std::string m_orderArena;
    std::vector<size_t> m_orderStart;
    Value m_orderValue;
    // The key of a group's first row, made again to compare (Groups), and a value of it.
    std::string m_firstRowKey;
    Value m_groupValue;
    std::vector<RowId> m_splitId;  // per source: the row m_b->split holds the values of
};

Status SelectRunner::collectSources(FromNode& node) {
    if (node.isJoin) {
        VELMORA_RETURN_IF_ERROR(collectSources(*node.left));
        return collectSources(*node.right);
    }
    VELMORA_ASSIGN_OR_RETURN(store::Table * table, m_session.database().table(node.table.name));
    m_b->slotOf[&node] = static_cast<int>(m_b->sources.size());
    m_b->sources.push_back(Source{table->schema().name, node.table.alias, table});
    m_b->stamps.push_back(table->schemaStamp());
    return Status::ok();
}

// The ON conditions go through the statement's one binder, so that a name taken as a
// parameter there fails the statement with the others.
Status SelectRunner::bindJoins(FromNode& node, Binder& binder) {
    if (!node.isJoin)
        return Status::ok();
    VELMORA_RETURN_IF_ERROR(bindJoins(*node.left, binder));
    VELMORA_RETURN_IF_ERROR(bindJoins(*node.right, binder));
    return binder.bind(*node.on, nullptr);
}

void leafSlots(const FromNode& node, const std::unordered_map<const FromNode*, int>& slotOf,
               std::vector<int>& out) {
    if (node.isJoin) {
        leafSlots(*node.left, slotOf, out);
        leafSlots(*node.right, slotOf, out);
    } else {
        out.push_back(slotOf.at(&node));
    }
}

bool within(const std::vector<int>& used, const std::vector<int>& slots) {
    return std::all_of(used.begin(), used.end(), [&](int s) {
        return std::find(slots.begin(), slots.end(), s) != slots.end();
    });
}

bool isWholeOrNumber(store::ColumnType t) {
    return t != store::ColumnType::Text && t != store::ColumnType::Memo &&
           t != store::ColumnType::Binary && t != store::ColumnType::Ole &&
           t != store::ColumnType::Guid;
}

// Sorts WHERE's conjuncts, once per binding, into the "column = literal" ones a hash lookup
// on the one table decides and the rest.
void SelectRunner::planLookup() {
    if (!m_s.where)
        return;
    std::vector<Expr*> parts;
    conjuncts(m_s.where.get(), parts);
    const bool oneTable = m_b->sources.size() == 1;
    std::vector<std::pair<int, const Expr*>> keys;
    for (Expr* p : parts) {
        const Expr* col = nullptr;
        const Expr* lit = nullptr;
        if (oneTable && p->kind == ExprKind::Binary && p->op == Op::Equal) {
            if (isColumnOf(*p->left, 0) && p->right->kind == ExprKind::Literal) {
                col = p->left.get();
                lit = p->right.get();
            } else if (isColumnOf(*p->right, 0) && p->left->kind == ExprKind::Literal) {
                col = p->right.get();
                lit = p->left.get();
            }
        }
        if (!col) {
            m_b->rest.push_back(p);
            continue;
        }
        bool seen = false;
        for (auto& k : keys)
            seen = seen || k.first == col->column;
        if (seen) {
            // Only the first condition on a column goes to the lookup; the row must meet the
            // others as well.
            m_b->rest.push_back(p);
            continue;
        }
        keys.emplace_back(col->column, lit);
    }
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [c, lit] : keys) {
        m_b->lookupColumns.push_back(c);
        m_b->lookupLiterals.push_back(lit);
    }
}

// The row ids of the one table that satisfy the WHERE's "column = literal" conjuncts, from the
// session's lookups; `used` tells whether there were any. Equal lookup keys mean equal values
// (value_ops.h), so every returned row makes those conjuncts true.
std::vector<RowId> SelectRunner::equalityCandidates(bool& used) {
    used = !m_b->lookupColumns.empty();
    if (!used)
        return {};
    // "= Null" is never true: no row qualifies. (A second condition on a column is left to
    // the rows, where "= Null" keeps every row out as well.)
    for (const Expr* lit : m_b->lookupLiterals) {
        if (store::isNull(lit->value))
            return {};
    }
    std::string& key = m_b->lookupKey;
    key.clear();
    for (const Expr* lit : m_b->lookupLiterals)
        appendOrderKey(key, lit->value);
    return m_session.lookups().find(*m_b->sources[0].table, m_b->lookupColumns, key);
}

Status SelectRunner::evalLeaf(int slot, Tuples& out) {
    const size_t width = m_b->sources.size();
    out.width = width;
    const store::Table& table = *m_b->sources[slot].table;
    out.ids.reserve(table.liveRowCount() * width);
    const auto own = static_cast<size_t>(slot);
    table.forEachLiveId([&](RowId id) {
        for (size_t k = 0; k < width; ++k)
            out.ids.push_back(k == own ? id : kNoRow);
    });
    return Status::ok();
}

// The key columns of one side of a join: when all come from one table, its slot and the
// columns to decode; else slot -1.
struct SideKeys {
    int slot = -1;
    std::vector<uint8_t> wanted;
};

SideKeys sideKeys(const std::vector<const Expr*>& keys) {
    SideKeys side;
    if (keys.empty())
        return side;
    for (const Expr* e : keys) {
        if (e->slot != keys.front()->slot || e->column < 0)
            return side;
        const auto column = static_cast<size_t>(e->column);
        if (side.wanted.size() <= column)
            side.wanted.resize(column + 1, 0);
        side.wanted[column] = 1;
    }
    side.slot = keys.front()->slot;
    return side;
}

Status SelectRunner::join(const FromNode& node, const Tuples& left, const Tuples& right,
                          Tuples& out) {
    std::vector<int> leftSlots, rightSlots;
    leafSlots(*node.left, m_b->slotOf, leftSlots);
    leafSlots(*node.right, m_b->slotOf, rightSlots);

    // Equal columns, one from each side, drive a hash join; the rest of ON is checked on
    // each pair the hash finds.
    std::vector<Expr*> parts;
    conjuncts(node.on.get(), parts);
    std::vector<const Expr*> leftKeys, rightKeys;
    std::vector<const Expr*> residual;
    for (Expr* p : parts) {
        if (p->kind == ExprKind::Binary && p->op == Op::Equal &&
            p->left->kind == ExprKind::Column && p->right->kind == ExprKind::Column &&
            p->left->slot >= 0 && p->right->slot >= 0) {
            std::vector<int> a, b;
            slotsUsed(*p->left, a);
            slotsUsed(*p->right, b);
            const Expr* l = nullptr;
            const Expr* r = nullptr;
            if (within(a, leftSlots) && within(b, rightSlots)) {
                l = p->left.get();
                r = p->right.get();
            } else if (within(b, leftSlots) && within(a, rightSlots)) {
                l = p->right.get();
                r = p->left.get();
            }
            if (l) {
                const auto lt = m_b->sources[l->slot].table->schema().columns[l->column].type;
                const auto rt = m_b->sources[r->slot].table->schema().columns[r->column].type;
                if (isWholeOrNumber(lt) != isWholeOrNumber(rt))
                    return jetError(err::kJoinTypeMismatch);
                leftKeys.push_back(l);
                rightKeys.push_back(r);
                continue;
            }
        }
        residual.push_back(p);
    }

    const bool rightDriven = node.join == JoinType::Right;
    const Tuples& driving = rightDriven ? right : left;
    const Tuples& probed = rightDriven ? left : right;
    const auto& drivingKeys = rightDriven ? rightKeys : leftKeys;
    const auto& probedKeys = rightDriven ? leftKeys : rightKeys;
    const bool keepUnmatched = node.join != JoinType::Inner;
    const size_t width = m_b->sources.size();
    out.width = width;

    out.ids.reserve(driving.ids.size() + width * 16);
    std::vector<RowId> merged(width);
    EvalContext ctx{&m_b->sources, merged.data(), nullptr};
    // The equality key of the key columns of a tuple, into `key`; false when one is Null.
    // A side whose key columns all come from one table reads them in one walk over its row.
    Value v;
    store::Row keyRow;
    const SideKeys drivingSide = sideKeys(drivingKeys);
    const SideKeys probedSide = sideKeys(probedKeys);
    auto keyOf = [&](const RowId* tuple, const std::vector<const Expr*>& exprs,
                     const SideKeys& side, std::string& key) {
        key.clear();
        if (side.slot >= 0) {
            const RowId id = tuple[side.slot];
            if (id == kNoRow)
                return false;
            m_b->sources[static_cast<size_t>(side.slot)].table->columnsInto(id, side.wanted,
                                                                            keyRow);
            for (const Expr* e : exprs) {
                const auto column = static_cast<size_t>(e->column);
                if (column >= keyRow.size() || store::isNull(keyRow[column]))
                    return false;
                appendOrderKey(key, keyRow[column]);
            }
            return true;
        }
        EvalContext c{&m_b->sources, tuple, nullptr};
        for (const Expr* e : exprs) {
            readColumn(*e, c, v);
            if (store::isNull(v))
                return false;
            appendOrderKey(key, v);
        }
        return true;
    };
    std::string key;

    // The probed side's keys, all in one buffer and chained by hash, so a join of two large
    // tables allocates a few arrays rather than a node and a list per row.
    KeyChains chains;
    if (!probedKeys.empty()) {
        chains.reserve(probed.count());
        for (size_t i = 0; i < probed.count(); ++i) {
            if (keyOf(probed.at(i), probedKeys, probedSide, key))
                chains.add(key, i);
        }
        chains.link();
    }
    std::vector<size_t> all;
    if (probedKeys.empty()) {
        all.resize(probed.count());
        std::iota(all.begin(), all.end(), size_t{0});
    }

    std::vector<size_t> found;
    for (size_t i = 0; i < driving.count(); ++i) {
        const RowId* d = driving.at(i);
        const std::vector<size_t>* matches = &all;
        if (!probedKeys.empty()) {
            matches = nullptr;
            if (keyOf(d, drivingKeys, drivingSide, key)) {
                chains.find(key, found);
                if (!found.empty())
                    matches = &found;
            }
        }
        bool any = false;
        if (matches) {
            for (size_t j : *matches) {
                const RowId* p = probed.at(j);
                for (size_t k = 0; k < width; ++k)
                    merged[k] = d[k] != kNoRow ? d[k] : p[k];
                bool ok = true;
                for (const Expr* r : residual) {
                    VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(*r, ctx));
                    if (t != Truth::True) {
                        ok = false;
                        break;
                    }
                }
                if (!ok)
                    continue;
                any = true;
                out.ids.insert(out.ids.end(), merged.begin(), merged.end());
            }
        }
        if (!any && keepUnmatched)
            out.ids.insert(out.ids.end(), d, d + width);
    }
    return Status::ok();
}

Status SelectRunner::evalFrom(const FromNode& node, Tuples& out) {
    if (!node.isJoin)
        return evalLeaf(m_b->slotOf.at(&node), out);
    Tuples left, right;
    VELMORA_RETURN_IF_ERROR(evalFrom(*node.left, left));
    VELMORA_RETURN_IF_ERROR(evalFrom(*node.right, right));
    return join(node, left, right, out);
}

// In a grouped query every column outside an aggregate must be one of the GROUP BY columns.
Status SelectRunner::checkGrouped(const Expr& e) const {
    if (e.kind == ExprKind::Aggregate)
        return Status::ok();
    if (e.kind == ExprKind::Column && e.slot >= 0) {
        for (const auto& g : m_s.groupBy) {
            if (g->kind == ExprKind::Column && g->slot == e.slot && g->column == e.column)
                return Status::ok();
        }
        const std::string shown = e.table.empty() ? e.name : e.table + "." + e.name;
        return namedJetError(err::kNotInAggregate, shown);
    }
    if (e.left)
        VELMORA_RETURN_IF_ERROR(checkGrouped(*e.left));
    if (e.right)
        VELMORA_RETURN_IF_ERROR(checkGrouped(*e.right));
    for (const auto& item : e.list)
        VELMORA_RETURN_IF_ERROR(checkGrouped(*item));
    return Status::ok();
}

// The running state of the aggregates of one group, in three arrays per group: a count of
// the values taken (rows for Count(*)) for every aggregate, a sum for each Sum or Avg, and
// the value so far for each Min or Max. A grouping of 32 767 channels by their identity, with
// a Count, makes as many groups: each pays 4 bytes for its Count, not a sum and a value it
// never holds. A group has at most as many rows as a table, so a count fits 32 bits.
struct SumSoFar {
    double sum = 0;
    int64_t currencySum = 0;
    bool currency = false;
};

struct AggregateState {
    uint32_t* counts;
    SumSoFar* sums;
    Value* bests;
};

bool keepsBest(const Expr& aggregate) {
    return aggregate.aggregate == AggregateKind::Min || aggregate.aggregate == AggregateKind::Max;
}

bool keepsSum(const Expr& aggregate) {
    return aggregate.aggregate == AggregateKind::Sum || aggregate.aggregate == AggregateKind::Avg;
}

// Takes the row of `ctx` into one group's state.
Status accumulate(const std::vector<Expr*>& aggregates, AggregateState state,
                  const EvalContext& ctx) {
    for (size_t i = 0; i < aggregates.size(); ++i) {
        const Expr& a = *aggregates[i];
        uint32_t& count = state.counts[i];
        Value* best = keepsBest(a) ? state.bests++ : nullptr;
        SumSoFar* sum = keepsSum(a) ? state.sums++ : nullptr;
        if (!a.left) {  // Count(*)
            ++count;
            continue;
        }
        // A column argument is read where it stands; anything else is evaluated.
        Value v;
        if (!readColumn(*a.left, ctx, v)) {
            VELMORA_ASSIGN_OR_RETURN(v, evaluate(*a.left, ctx));
        }
        if (store::isNull(v))
            continue;
        if (sum != nullptr) {
            if (auto* c = std::get_if<store::Currency>(&v)) {
                sum->currency = true;
                sum->currencySum += c->scaled;
            }
            auto n = store::numericValue(v);
            if (!n) {
                return jetError(err::kTypeMismatch);
            }
            sum->sum += *n;
        } else if (best != nullptr) {
            if (count == 0) {
                *best = std::move(v);
            } else {
                const int c = orderValues(v, *best);
                if ((a.aggregate == AggregateKind::Min && c < 0) ||
                    (a.aggregate == AggregateKind::Max && c > 0))
                    *best = std::move(v);
            }
        }
        ++count;
    }
    return Status::ok();
}

// The aggregates' values of one group; those that took no value are Null, Count's 0.
void finish(const std::vector<Expr*>& aggregates, AggregateState state, std::vector<Value>& out) {
    out.clear();
    for (size_t i = 0; i < aggregates.size(); ++i) {
        const uint32_t count = state.counts[i];
        const Value* best = keepsBest(*aggregates[i]) ? state.bests++ : nullptr;
        const SumSoFar* sum = keepsSum(*aggregates[i]) ? state.sums++ : nullptr;
        switch (aggregates[i]->aggregate) {
            case AggregateKind::Count:
                out.emplace_back(int64_t{count});
                break;
            case AggregateKind::Sum:
                if (count == 0)
                    out.emplace_back(store::Null{});
                else if (sum->currency)
                    out.emplace_back(store::Currency{sum->currencySum});
                else
                    out.emplace_back(sum->sum);
                break;
            case AggregateKind::Avg:
                if (count == 0)
                    out.emplace_back(store::Null{});
                else
                    out.emplace_back(sum->sum / double(count));
                break;
            default:
                out.push_back(count > 0 ? *best : Value(store::Null{}));
                break;
        }
    }
}

// Rows grouped by hashing their GROUP BY keys: a key's first row makes its group and stands
// for its columns, and each group's aggregate state follows its rows. A group's first error
// waits until the groups are taken in key order, so that the statement fails on the error
// the sort would have met first. The hash table holds only the groups' numbers by the keys'
// hashes. Where every GROUP BY item is a column, a group's key is made again from its first
// row when a row of an equal hash asks (the row gives the same key each time), so the keys
// are not kept at all: grouping 32 767 channels by their identity kept about 1.5 MB of them.
// Other keys (an expression could give another value the next time) are kept, back to back.
class Groups {
public:
    using KeyOfRow = std::function<std::string_view(size_t row)>;

    Groups(const std::vector<Expr*>& aggregates, KeyOfRow keyOfRow)
        : m_keyOfRow(std::move(keyOfRow)),
          m_perGroup(aggregates.size()),
          m_sumsPerGroup(size_t(std::count_if(aggregates.begin(), aggregates.end(),
                                              [](const Expr* a) { return keepsSum(*a); }))),
          m_bestsPerGroup(size_t(std::count_if(aggregates.begin(), aggregates.end(),
                                               [](const Expr* a) { return keepsBest(*a); }))) {}

    size_t size() const { return m_firstRow.size(); }
    // The group of `key`, made with `row` as its first row where the key is new.
    size_t findOrAdd(std::string_view key, size_t row) {
        const uint64_t hash = store::HashedIds::hashOf(key);
        for (const store::HashedIds::Id g : m_groupOf.find(hash)) {
            if (this->key(g) == key)
                return g;
        }
        add(key, row, hash);
        return size() - 1;
    }
    void add(std::string_view key, size_t row) { add(key, row, store::HashedIds::hashOf(key)); }
    size_t firstRow(size_t g) const { return m_firstRow[g]; }
    // Valid until the next call.
    std::string_view key(size_t g) const {
        if (m_keyOfRow)
            return m_keyOfRow(m_firstRow[g]);
        const size_t start = g == 0 ? 0 : m_keyEnd[g - 1];
        return std::string_view(m_keys).substr(start, m_keyEnd[g] - start);
    }
    AggregateState state(size_t g) {
        return {m_counts.data() + g * m_perGroup, m_sums.data() + g * m_sumsPerGroup,
                m_bests.data() + g * m_bestsPerGroup};
    }
    bool failed(size_t g) const { return !m_errors.empty() && m_errors.contains(g); }
    void fail(size_t g, Status s) { m_errors.emplace(g, std::move(s)); }
    const Status& error(size_t g) const { return m_errors.at(g); }

private:
    void add(std::string_view key, size_t row, uint64_t hash) {
        m_groupOf.insert(hash, static_cast<store::HashedIds::Id>(m_firstRow.size()));
        if (!m_keyOfRow) {
            m_keys.append(key);
            m_keyEnd.push_back(m_keys.size());
        }
        m_firstRow.push_back(static_cast<uint32_t>(row));
        m_counts.resize(m_counts.size() + m_perGroup);
        m_sums.resize(m_sums.size() + m_sumsPerGroup);
        m_bests.resize(m_bests.size() + m_bestsPerGroup);
    }

    KeyOfRow m_keyOfRow;  // empty where the keys are kept
    size_t m_perGroup;
    size_t m_sumsPerGroup;
    size_t m_bestsPerGroup;
    store::HashedIds m_groupOf;        // group numbers by their keys' hashes
    std::string m_keys;                // each group's key, back to back, where they are kept
    std::vector<size_t> m_keyEnd;      // per group: where its key ends in m_keys
    std::vector<uint32_t> m_firstRow;  // per group
    std::vector<uint32_t> m_counts;
    std::vector<SumSoFar> m_sums;
    std::vector<Value> m_bests;
    std::unordered_map<size_t, Status> m_errors;  // by group; few groups fail
};

bool SelectRunner::keptBindingHolds() {
    if (!m_b)
        return false;
    size_t slot = 0;
    for (auto& node : m_s.from) {
        if (!sameTables(*node, slot))
            return false;
    }
    return slot == m_b->stamps.size();
}

// Whether the FROM names under `node`, from `slot` on in the order collectSources numbered
// them, find tables with the stamps they had when bound.
bool SelectRunner::sameTables(const FromNode& node, size_t& slot) {
    if (node.isJoin)
        return sameTables(*node.left, slot) && sameTables(*node.right, slot);
    auto table = m_session.database().table(node.table.name);
    if (!table.isOk() || slot >= m_b->stamps.size() ||
        (*table)->schemaStamp() != m_b->stamps[slot]) {
        return false;
    }
    // An equal stamp may sit on a copy of the table that was bound: read this one.
    m_b->sources[slot++].table = *table;
    return true;
}

// The select list, with * and table.* standing for the columns they name.
Status SelectRunner::bindItems(Binder& binder) {
    std::vector<Expr*>& aggregates = m_b->aggregates;
    auto& items = m_b->items;
    for (auto& item : m_s.items) {
        if (!item.star) {
            VELMORA_RETURN_IF_ERROR(binder.bind(*item.expr, &aggregates));
            items.push_back(BoundSelect::OutItem{item.expr.get(), item.alias});
            continue;
        }
        bool found = false;
        for (size_t slot = 0; slot < m_b->sources.size(); ++slot) {
            const Source& src = m_b->sources[slot];
            if (!item.starTable.empty() && !store::sameName(src.visibleName(), item.starTable))
                continue;
            found = true;
            const auto& cols = src.table->schema().columns;
            for (size_t c = 0; c < cols.size(); ++c) {
                auto e = std::make_unique<Expr>();
                e->kind = ExprKind::Column;
                e->table = src.visibleName();
                e->name = cols[c].name;
                e->slot = static_cast<int>(slot);
                e->column = static_cast<int>(c);
                items.push_back(BoundSelect::OutItem{e.get(), ""});
                m_b->starColumns.push_back(std::move(e));
            }
        }
        if (!found) {
            return namedJetError(err::kTableNotFound, item.starTable);
        }
    }
    return Status::ok();
}

// The result's column names: the alias, else the column's name (qualified by its table when
// two output columns would share it), else Expr1000, Expr1001, ...
void SelectRunner::nameColumns(const Binder& binder) {
    const auto& items = m_b->items;
    auto& columns = m_b->columns;
    const auto& sources = m_b->sources;
    int exprNumber = 1000;
    for (auto& item : items) {
        ResultColumn col;
        if (item.expr->kind == ExprKind::Column) {
            const ExprType t = binder.typeOf(*item.expr);
            col.type = t.type;
            col.size = t.size;
            if (t.type == store::ColumnType::Text) {
                // The storage knows how many characters its text columns hold.
                col.size = m_session.textCapacity(
                    sources[item.expr->slot].table->schema().columns[item.expr->column]);
            }
        }
        if (!item.alias.empty()) {
            col.name = item.alias;
        } else if (item.expr->kind == ExprKind::Column) {
            col.name = sources[item.expr->slot].table->schema().columns[item.expr->column].name;
        } else {
            col.name = "Expr" + std::to_string(exprNumber++);
        }
        columns.push_back(std::move(col));
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].alias.empty() || items[i].expr->kind != ExprKind::Column)
            continue;
        for (size_t j = 0; j < items.size(); ++j) {
            if (j != i && store::sameName(columns[i].name, columns[j].name) &&
                items[j].alias.empty() && items[j].expr->kind == ExprKind::Column &&
                items[j].expr->slot != items[i].expr->slot) {
                columns[i].name = sources[items[i].expr->slot].visibleName() + "." +
                                  sources[items[i].expr->slot]
                                      .table->schema()
                                      .columns[items[i].expr->column]
                                      .name;
                break;
            }
        }
    }
}

Status SelectRunner::bindStatement() {
    m_b = m_s.bound;
    if (keptBindingHolds())
        return Status::ok();
    // Bound anew; kept only when binding succeeds, so a failing statement fails alike each run.
    m_s.bound.reset();
    m_b = std::make_shared<BoundSelect>();
    for (auto& node : m_s.from)
        VELMORA_RETURN_IF_ERROR(collectSources(*node));
    Binder binder(m_b->sources);
    for (auto& node : m_s.from)
        VELMORA_RETURN_IF_ERROR(bindJoins(*node, binder));

    VELMORA_RETURN_IF_ERROR(bindItems(binder));
    std::vector<Expr*>& aggregates = m_b->aggregates;
    const auto& items = m_b->items;
    if (m_s.where)
        VELMORA_RETURN_IF_ERROR(binder.bind(*m_s.where, nullptr));
    for (auto& g : m_s.groupBy)
        VELMORA_RETURN_IF_ERROR(binder.bind(*g, nullptr));
    if (m_s.having)
        VELMORA_RETURN_IF_ERROR(binder.bind(*m_s.having, &aggregates));
    for (auto& o : m_s.orderBy)
        VELMORA_RETURN_IF_ERROR(binder.bind(*o.expr, &aggregates));
    VELMORA_RETURN_IF_ERROR(binder.checkParameters());

    m_b->grouped = !m_s.groupBy.empty() || !aggregates.empty();
    if (m_b->grouped) {
        for (auto& item : items)
            VELMORA_RETURN_IF_ERROR(checkGrouped(*item.expr));
        if (m_s.having)
            VELMORA_RETURN_IF_ERROR(checkGrouped(*m_s.having));
        for (auto& o : m_s.orderBy)
            VELMORA_RETURN_IF_ERROR(checkGrouped(*o.expr));
    }
    // HAVING without grouping filters like WHERE.
    planLookup();

    nameColumns(binder);
    m_b->updatable = m_b->sources.size() == 1 && !m_b->grouped && !m_s.distinct;
    if (m_b->updatable) {
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].expr->kind == ExprKind::Column)
                m_b->columns[i].baseColumn = items[i].expr->column;
        }
    }
    m_s.bound = m_b;
    return Status::ok();
}

Status SelectRunner::run() {
    m_result.rows.clear();
    m_result.baseRows.clear();
    VELMORA_RETURN_IF_ERROR(bindStatement());
    VELMORA_RETURN_IF_ERROR(readFrom());
    VELMORA_RETURN_IF_ERROR(filterWhere());
    typeColumns();
    startProjection();
    VELMORA_RETURN_IF_ERROR(m_b->grouped ? projectGroups() : projectRows());
    if (!m_s.orderBy.empty() || m_s.distinct)
        orderRows();
    return Status::ok();
}

// A comma list is a cross join, in the order the tables stand.
void crossJoin(Tuples& tuples, const Tuples& next) {
    Tuples product;
    product.width = tuples.width;
    for (size_t a = 0; a < tuples.count(); ++a) {
        for (size_t b = 0; b < next.count(); ++b) {
            for (size_t k = 0; k < tuples.width; ++k) {
                const RowId x = tuples.at(a)[k];
                product.ids.push_back(x != kNoRow ? x : next.at(b)[k]);
            }
        }
    }
    tuples = std::move(product);
}

// FROM: the tuples of the tables' rows, or the rows a hash lookup finds for WHERE's
// "column = literal" conjuncts.
Status SelectRunner::readFrom() {
    bool usedLookup = false;
    std::vector<RowId> candidates = equalityCandidates(usedLookup);
    if (usedLookup) {
        m_tuples.width = 1;
        m_tuples.ids = std::move(candidates);
    } else {
        VELMORA_RETURN_IF_ERROR(evalFrom(*m_s.from[0], m_tuples));
        for (size_t i = 1; i < m_s.from.size(); ++i) {
            Tuples next;
            VELMORA_RETURN_IF_ERROR(evalFrom(*m_s.from[i], next));
            crossJoin(m_tuples, next);
        }
    }
    // The join's list grew by doubling; it is kept beside the result, so only its rows stay.
    m_tuples.ids.shrink_to_fit();
    return Status::ok();
}

// WHERE: the conjuncts in order, without those the lookup decided. As AND evaluates them,
// the first false one ends a row and a Null one goes on to the next.
Status SelectRunner::filterWhere() {
    if (!m_s.where)
        return Status::ok();
    Tuples kept;
    kept.width = m_tuples.width;
    for (size_t i = 0; i < m_tuples.count(); ++i) {
        EvalContext ctx{&m_b->sources, m_tuples.at(i), nullptr};
        bool allTrue = true;
        for (const Expr* p : m_b->rest) {
            VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(*p, ctx));
            if (t != Truth::True)
                allTrue = false;
            if (t == Truth::False)
                break;
        }
        if (allTrue)
            kept.ids.insert(kept.ids.end(), m_tuples.at(i), m_tuples.at(i) + m_tuples.width);
    }
    m_tuples = std::move(kept);
    return Status::ok();
}

// The result's columns as bound; an expression's type may follow its literals' values (a
// whole number beyond Long is a Double), so it is taken on each run.
void SelectRunner::typeColumns() {
    m_result.columns = m_b->columns;
    m_result.baseTable.clear();
    Binder binder(m_b->sources);
    for (size_t i = 0; i < m_b->items.size(); ++i) {
        const Expr& e = *m_b->items[i].expr;
        if (e.kind == ExprKind::Column)
            continue;
        const ExprType t = binder.typeOf(e);
        m_result.columns[i].type = t.type;
        m_result.columns[i].size = t.size;
    }
    if (m_b->updatable)
        m_result.baseTable = m_b->sources[0].name;
}

void SelectRunner::startProjection() {
    m_b->split.resize(m_b->sources.size());
    m_splitId.assign(m_b->sources.size(), kNoRow);
}

// One result row and its ORDER BY keys. A failing item fails the whole statement, so a row
// left unfinished is never seen.
Status SelectRunner::projectRow(const EvalContext& ctx) {
    std::vector<std::vector<std::string_view>>& split = m_b->split;
    m_result.rows.startRow();
    for (const auto& item : m_b->items) {
        const Expr& e = *item.expr;
        if (e.kind == ExprKind::Column && e.slot >= 0) {
            // A column's value goes over as the table keeps it, without decoding it; each
            // source row is split into its values once.
            const RowId id = ctx.tuple[e.slot];
            if (id == kNoRow) {
                m_result.rows.addValue(store::Null{});
                continue;
            }
            if (m_splitId[e.slot] != id) {
                m_b->sources[e.slot].table->packedValues(id, split[e.slot]);
                m_splitId[e.slot] = id;
            }
            const auto column = static_cast<size_t>(e.column);
            m_result.rows.addPacked(column < split[e.slot].size() ? split[e.slot][column]
                                                                  : std::string_view());
            continue;
        }
        VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(e, ctx));
        m_result.rows.addValue(v);
    }
    for (const auto& o : m_s.orderBy) {
        m_orderStart.push_back(m_orderArena.size());
        if (!readColumn(*o.expr, ctx, m_orderValue)) {
            VELMORA_ASSIGN_OR_RETURN(m_orderValue, evaluate(*o.expr, ctx));
        }
        appendOrderKey(m_orderArena, m_orderValue);
    }
    return Status::ok();
}

// Without grouping HAVING filters like WHERE; each row it keeps is projected.
Status SelectRunner::projectRows() {
    m_result.rows.reserve(m_tuples.count());
    for (size_t i = 0; i < m_tuples.count(); ++i) {
        EvalContext ctx{&m_b->sources, m_tuples.at(i), nullptr};
        if (m_s.having) {
            VELMORA_ASSIGN_OR_RETURN(Truth t, evaluateCondition(*m_s.having, ctx));
            if (t != Truth::True)
                continue;
        }
        VELMORA_RETURN_IF_ERROR(projectRow(ctx));
        if (m_b->updatable)
            m_result.baseRows.push_back(m_tuples.at(i)[0]);
    }
    return Status::ok();
}

// Jet groups by sorting, so its groups come out in the order of their keys. Sorting every
// row costs most of a grouping where nearly every group has one row and HAVING keeps none, so
// the rows are grouped by hashing their keys in stored order instead (Groups), and only the
// groups HAVING keeps are sorted by their keys.
Status SelectRunner::projectGroups() {
    Groups groups(m_b->aggregates, groupKeysFromRows() ? Groups::KeyOfRow([this](size_t row) {
                      groupKeyOf(row, m_firstRowKey);
                      return std::string_view(m_firstRowKey);
                  })
                                                       : Groups::KeyOfRow());
    VELMORA_RETURN_IF_ERROR(accumulateGroups(groups));
    // Aggregates over no rows still give one row (Count 0).
    if (m_tuples.count() == 0 && m_s.groupBy.empty())
        groups.add({}, 0);
    const std::vector<uint32_t> kept = havingGroups(groups);
    const std::vector<RowId> noRow(m_b->sources.size(), kNoRow);
    std::vector<Value> values;
    for (uint32_t g : kept) {
        if (groups.failed(g))
            return groups.error(g);
        finish(m_b->aggregates, groups.state(g), values);
        EvalContext ctx{&m_b->sources, groupTuple(groups, g, noRow), &values};
        VELMORA_RETURN_IF_ERROR(projectRow(ctx));
    }
    return Status::ok();
}

// Whether every GROUP BY item is a column, whose key a row gives the same each time.
bool SelectRunner::groupKeysFromRows() const {
    return std::all_of(m_s.groupBy.begin(), m_s.groupBy.end(),
                       [](const auto& g) { return g->kind == ExprKind::Column && g->slot >= 0; });
}

// The GROUP BY key of row `row` where every item is a column.
void SelectRunner::groupKeyOf(size_t row, std::string& key) {
    key.clear();
    EvalContext ctx{&m_b->sources, m_tuples.at(row), nullptr};
    for (const auto& g : m_s.groupBy) {
        readColumn(*g, ctx, m_groupValue);
        appendOrderKey(key, m_groupValue);
    }
}

const RowId* SelectRunner::groupTuple(const Groups& groups, size_t g,
                                      const std::vector<RowId>& noRow) const {
    const size_t row = groups.firstRow(g);
    return row < m_tuples.count() ? m_tuples.at(row) : noRow.data();
}

// Each row, in stored order, into the group of its GROUP BY key and its aggregates.
Status SelectRunner::accumulateGroups(Groups& groups) {
    std::string key;
    Value column;  // one grouping value at a time, its text storage reused
    for (size_t i = 0; i < m_tuples.count(); ++i) {
        key.clear();
        EvalContext ctx{&m_b->sources, m_tuples.at(i), nullptr};
        for (const auto& g : m_s.groupBy) {
            if (readColumn(*g, ctx, column)) {
                appendOrderKey(key, column);
                continue;
            }
            VELMORA_ASSIGN_OR_RETURN(Value v, evaluate(*g, ctx));
            appendOrderKey(key, v);
        }
        const size_t g = groups.findOrAdd(key, i);
        if (groups.failed(g))
            continue;
        if (Status s = accumulate(m_b->aggregates, groups.state(g), ctx); !s.isOk())
            groups.fail(g, std::move(s));
    }
    return Status::ok();
}

// The groups HAVING keeps (a group whose HAVING fails is kept with its error), in the order
// of their keys. Keys of different groups differ, so the order is the sort's. Only the kept
// groups' keys are gathered for the sort.
std::vector<uint32_t> SelectRunner::havingGroups(Groups& groups) const {
    const std::vector<RowId> noRow(m_b->sources.size(), kNoRow);
    std::vector<Value> values;
    std::vector<uint32_t> kept;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (m_s.having && !groups.failed(g)) {
            finish(m_b->aggregates, groups.state(g), values);
            EvalContext ctx{&m_b->sources, groupTuple(groups, g, noRow), &values};
            Result<Truth> t = evaluateCondition(*m_s.having, ctx);
            if (!t.isOk())
                groups.fail(g, t.status());
            else if (t.value() != Truth::True)
                continue;
        }
        kept.push_back(static_cast<uint32_t>(g));
    }
    if (kept.size() < 2)
        return kept;
    std::string keys;
    std::vector<size_t> keyEnd;  // per kept group, in the order of `kept`
    keyEnd.reserve(kept.size());
    for (uint32_t g : kept) {
        keys += groups.key(g);
        keyEnd.push_back(keys.size());
    }
    auto keyOf = [&](size_t k) {
        const size_t start = k == 0 ? 0 : keyEnd[k - 1];
        return std::string_view(keys).substr(start, keyEnd[k] - start);
    };
    std::vector<uint32_t> order(kept.size());
    std::iota(order.begin(), order.end(), 0U);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return keyOf(a) < keyOf(b); });
    for (uint32_t& k : order)
        k = kept[k];
    return order;
}

// ORDER BY, then DISTINCT. DISTINCT sorts by the whole row, as Jet does it, after the ORDER
// BY keys; of equal rows the first stays.
void SelectRunner::orderRows() {
    std::vector<std::string> rowKeys;
    if (m_s.distinct) {
        for (const store::Row& row : m_result.rows) {
            std::string key;
            for (const auto& v : row)
                appendOrderKey(key, v);
            rowKeys.push_back(std::move(key));
        }
    }
    const std::vector<size_t> order = sortedRows(rowKeys);
    std::vector<size_t> kept;
    std::vector<RowId> ids;
    kept.reserve(order.size());
    const std::string* previous = nullptr;
    for (size_t i : order) {
        if (m_s.distinct) {
            if (previous && *previous == rowKeys[i])
                continue;
            previous = &rowKeys[i];
        }
        kept.push_back(i);
        if (!m_result.baseRows.empty())
            ids.push_back(m_result.baseRows[i]);
    }
    m_result.rows.reorder(kept);
    m_result.baseRows = std::move(ids);
}

// The result rows' numbers in the order of their ORDER BY keys (key k of row r runs from
// m_orderStart[r * keys + k] to the next start), equal keys by `rowKeys` where DISTINCT
// gave them, else as they stand.
std::vector<size_t> SelectRunner::sortedRows(const std::vector<std::string>& rowKeys) {
    m_orderStart.push_back(m_orderArena.size());
    const size_t keyCount = m_s.orderBy.size();
    auto orderKeyOf = [&](size_t row, size_t k) {
        const size_t at = row * keyCount + k;
        return std::string_view(m_orderArena)
            .substr(m_orderStart[at], m_orderStart[at + 1] - m_orderStart[at]);
    };
    std::vector<size_t> order(m_result.rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        for (size_t k = 0; k < keyCount; ++k) {
            int c = orderKeyOf(a, k).compare(orderKeyOf(b, k));
            if (m_s.orderBy[k].descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return m_s.distinct && rowKeys[a] < rowKeys[b];
    });
    return order;
}

}  // namespace

Result<QueryResult> runSelect(Session& session, SelectStatement& s) {
    QueryResult result;
    VELMORA_RETURN_IF_ERROR(runSelectOver(session, s, result));
    return result;
}

Status runSelectOver(Session& session, SelectStatement& s, QueryResult& result) {
    return SelectRunner(session, s, result).run();
}

}  // namespace velmora::engine::sql
