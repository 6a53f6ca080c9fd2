// A table in memory: its schema and its rows in stored (physical) order.
//
// Rows are addressed by a RowId that stays valid while the table lives in memory: deleting a
// row leaves a tombstone, so record sets and statements that hold ids are never shifted under
// their feet. Values in a Row are in the order of TableSchema::columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::store {

using RowId = size_t;

struct KeyCache;  // the unique-key sets of the constraint checks (constraints.cpp)

class Table {
public:
    explicit Table(TableSchema schema) : m_schema(std::move(schema)) {}

    const TableSchema& schema() const { return m_schema; }
    TableSchema& mutableSchema() {
        m_dirty = true;
        ++m_changes;
        return m_schema;
    }

    // Live rows, and the ids one can iterate in stored order.
    size_t liveRowCount() const { return m_liveCount; }
    RowId idLimit() const { return m_slots.size(); }
    bool isLive(RowId id) const { return id < m_slots.size() && !m_slots[id].deleted; }
    const Row& row(RowId id) const { return m_slots[id].values; }

    // Raw changes; constraint checks sit above this in the engine.
    RowId append(Row row);
    void replace(RowId id, Row row);
    void erase(RowId id);

    // Set by every change since the table was loaded or last committed.
    bool isDirty() const { return m_dirty; }
    void markClean() { m_dirty = false; }

    // Grows with every change of rows or schema; caches built from the rows compare it.
    uint64_t changeCount() const { return m_changes; }
    // Storage for the constraint checks' key sets, valid while changeCount() is unchanged.
    std::shared_ptr<KeyCache>& keyCache() const { return m_keyCache; }

    template <class F>
    void forEachLive(F&& f) const {
        for (RowId id = 0; id < m_slots.size(); ++id) {
            if (!m_slots[id].deleted)
                f(id, m_slots[id].values);
        }
    }

private:
    struct Slot {
        Row values;
        bool deleted = false;
    };
    TableSchema m_schema;
    std::vector<Slot> m_slots;
    size_t m_liveCount = 0;
    bool m_dirty = false;
    uint64_t m_changes = 0;
    mutable std::shared_ptr<KeyCache> m_keyCache;
};

}  // namespace velmora::engine::store
