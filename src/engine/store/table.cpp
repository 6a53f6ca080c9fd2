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

void Table::replace(RowId id, const Row& row) {
    assert(isLive(id) && row.size() == m_schema.columns.size());
    m_rows.assign(id, row);
    m_dirty = true;
    ++m_changes;
}

void Table::erase(RowId id) {
    assert(isLive(id));
    m_deleted[id] = true;
    m_rows.release(id);
    --m_liveCount;
    m_dirty = true;
    ++m_changes;
}

}  // namespace velmora::engine::store
