#include "engine/store/table.h"

#include <atomic>
#include <cassert>

namespace velmora::engine::store {

uint64_t Table::nextSchemaStamp() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

RowId Table::append(const Row& row) {
    assert(row.size() == m_schema.columns.size());
    m_rows.push_back(row);
    m_deleted.push_back(false);
    ++m_liveCount;
    m_dirty = true;
    ++m_changes;
    return m_rows.size() - 1;
}

RowId Table::appendStored(const Row& row, uint32_t place) {
    assert(place != 0);
    const RowId id = append(row);
    m_storedAt.resize(id + 1, 0);
    m_storedAt[id] = place;
    ++m_storedRows;
    return id;
}

void Table::replace(RowId id, const Row& row, bool keysKept) {
    assert(isLive(id) && row.size() == m_schema.columns.size());
    if (!keysKept && id < m_storedAt.size())
        m_storedAt[id] = 0;
    m_rows.assign(id, row);
    m_dirty = true;
    ++m_changes;
}

void Table::erase(RowId id) {
    assert(isLive(id));
    m_deleted[id] = true;
    if (id < m_storedAt.size())
        m_storedAt[id] = 0;
    m_rows.release(id);
    --m_liveCount;
    m_dirty = true;
    ++m_changes;
}

}  // namespace velmora::engine::store
