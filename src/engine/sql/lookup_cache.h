// Hash lookups on table columns, kept across statements.
//
// The program finds rows by equality on a few columns, one statement per row (a full save
// looks up every one of 32 767 channels), and joins tables on equal columns. Building a hash
// of the table for each statement would make that quadratic, so the executor keeps one index
// per (table, column list) and every row change made through the session updates it in place.
// An index remembers the table's change count it reflects; one whose table changed behind the
// session's back is rebuilt on next use. A hash pays from its second use on: the first time a
// (table, column list) is asked for, one scan compares each row's key instead, so a statement
// run once in a process (one UPDATE ... WHERE) does not hash every row to find one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/store/constraints.h"
#include "engine/store/keyed_ids.h"
#include "engine/store/table.h"

namespace velmora::engine::sql {

// Row ids by the equality key of some columns; ids of one key ascend (stored order). Rows
// with a Null in any of the columns are not indexed: Null equals nothing.
struct LookupIndex {
    std::vector<int> columns;
    store::KeyedIds ids;
    uint64_t changeCount = 0;  // the table's Table::changeCount() this index reflects

    // Valid until the index next changes.
    std::span<const store::RowId> find(std::string_view key) const { return ids.find(key); }
};

// The equality key of the given columns of a row; nullopt when one of them is Null.
std::optional<std::string> rowKey(const store::Row& row, const std::vector<int>& columns);
// The same for values given in column-list order.
std::optional<std::string> valuesKey(const std::vector<store::Value>& values);

class LookupCache {
public:
    // The live rows whose equality key in `columns` is `key`, ascending (stored order).
    std::vector<store::RowId> find(const store::Table& table, const std::vector<int>& columns,
                                   std::string_view key);

    // Row changes the session made; `countBefore` is the table's change count before it.
    void rowInserted(const store::Table& table, store::RowId id, uint64_t countBefore);
    // `after` is the row as the table now holds it.
    void rowUpdated(const store::Table& table, store::RowId id, const store::Row& before,
                    const store::Row& after, uint64_t countBefore);
    // The same for an update of the values at update.columns alone.
    void valuesUpdated(const store::Table& table, store::RowId id,
                       const store::ValuesUpdate& update, uint64_t countBefore);
    void rowErased(const store::Table& table, store::RowId id, const store::Row& before,
                   uint64_t countBefore);
    void forget(const store::Table& table);
    void clear() {
        m_indexes.clear();
        m_askedOnce.clear();
    }

private:
    struct Entry {
        const store::Table* table;
        std::unique_ptr<LookupIndex> index;
    };
    struct Asked {
        const store::Table* table;
        std::vector<int> columns;
    };
    // The kept index of (table, columns), or null when it is asked for the first time.
    const LookupIndex* index(const store::Table& table, const std::vector<int>& columns);
    void build(const store::Table& table, LookupIndex& index);
    std::vector<Entry> m_indexes;
    std::vector<Asked> m_askedOnce;  // answered by a scan, without an index yet
};

}  // namespace velmora::engine::sql
