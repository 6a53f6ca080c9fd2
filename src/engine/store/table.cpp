#include "engine/store/table.h"

#include <cassert>

namespace velmora::engine::store {

RowId Table::append(Row row) {
    assert(row.size() == m_schema.columns.size());
    m_slots.push_back(Slot{std::move(row), false});
    ++m_liveCount;
    m_dirty = true;
    ++m_changes;
    return m_slots.size() - 1;
}

void Table::replace(RowId id, Row row) {
    assert(isLive(id) && row.size() == m_schema.columns.size());
    m_slots[id].values = std::move(row);
    m_dirty = true;
    ++m_changes;
}

void Table::erase(RowId id) {
    assert(isLive(id));
    m_slots[id].deleted = true;
    m_slots[id].values.clear();
    --m_liveCount;
    m_dirty = true;
    ++m_changes;
}

}  // namespace velmora::engine::store
