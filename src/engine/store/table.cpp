#include "engine/store/table.h"

#include <atomic>
#include <cassert>

namespace velmora::engine::store {

uint64_t Table::nextSchemaStamp() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

void Table::noteChange(RowId id, uint8_t what) {
    // A table read from the storage has no marks until its first change: they are sized
    // once then, for every row, not one row at a time.
    if (m_change.size() <= id)
        m_change.resize(m_rows.size(), 0);
    m_change[id] |= what;
}

void Table::noteValuesReplaced(RowId id, std::span<const int> columns) {
    uint64_t positions = 0;
    bool fixed = true;
    for (const int c : columns) {
        const ColumnDef& column = m_schema.columns[size_t(c)];
        fixed = fixed && c < 64 && (column.isFixed() || column.type == ColumnType::Boolean);
        if (fixed)
            positions |= uint64_t(1) << c;
    }
    if (!fixed) {
        m_change[id] |= kWhole;
        return;
    }
    if (m_fixedChanged.size() <= id)
        m_fixedChanged.resize(m_rows.size(), 0);  // once for a statement over every row
    m_fixedChanged[id] |= positions;
}

RowId Table::append(const Row& row) {
    assert(row.size() == m_schema.columns.size());
    m_rows.push_back(row);
    m_deleted.push_back(false);
    ++m_liveCount;
    m_dirty = true;
    ++m_changes;
    const RowId id = m_rows.size() - 1;
    noteChange(id, kChanged | kKeysChanged | kWhole);
    return id;
}

RowId Table::appendStored(const Row& row, uint32_t place) {
    assert(row.size() == m_schema.columns.size());
    m_rows.push_back(row);
    return noteStored(place);
}

RowId Table::appendStored(const PackedRowBuilder& row, uint32_t place) {
    assert(row.valueCount() == m_schema.columns.size());
    m_rows.push_back(row);
    return noteStored(place);
}

RowId Table::noteStored(uint32_t place) {
    assert(place != 0);
    const RowId id = m_rows.size() - 1;
    m_deleted.push_back(false);
    ++m_liveCount;
    m_dirty = true;
    ++m_changes;
    // Unmarked: as it is stored. Rows appended before may have left the lists short.
    m_storedAt.resize(id, 0);
    m_storedAt.push_back(place);
    ++m_storedRows;
    m_place.resize(id, 0);
    m_place.push_back(place);
    m_placesKnown = true;
    return id;
}

void Table::setPlaces(std::span<const std::pair<RowId, uint32_t>> places, bool whole) {
    if (whole)
        m_place.assign(m_rows.size(), 0);
    else if (m_place.size() < m_rows.size())
        m_place.resize(m_rows.size(), 0);
    for (const auto& [id, place] : places)
        m_place[id] = place;
    m_placesKnown = true;
}

void Table::replace(RowId id, const Row& row, bool keysKept) {
    assert(isLive(id) && row.size() == m_schema.columns.size());
    m_rows.assign(id, row);
    noteReplaced(id, keysKept);
    m_change[id] |= kWhole;
}

void Table::replaceValues(RowId id, std::span<const int> columns, std::span<const Value> values,
                          bool keysKept) {
    assert(isLive(id) && columns.size() == values.size());
    m_rows.assignValues(id, columns, values);
    noteReplaced(id, keysKept);
    noteValuesReplaced(id, columns);
}

void Table::noteReplaced(RowId id, bool keysKept) {
    if (!keysKept && id < m_storedAt.size())
        m_storedAt[id] = 0;
    m_dirty = true;
    ++m_changes;
    noteChange(id, keysKept ? kChanged : uint8_t(kChanged | kKeysChanged));
}

bool Table::changedInPlaceOnly() const {
    if (!m_placesKnown || !m_erasedPlaces.empty())
        return false;
    for (RowId id = 0; id < m_change.size(); ++id) {
        if (m_change[id] != 0 &&
            (placeOf(id) == 0 || keysChanged(id) || fixedValuesChanged(id) == 0))
            return false;
    }
    return true;
}

void Table::erase(RowId id) {
    assert(isLive(id));
    m_deleted[id] = true;
    if (id < m_storedAt.size())
        m_storedAt[id] = 0;
    if (placeOf(id) != 0) {
        m_erasedPlaces.push_back(m_place[id]);
        m_place[id] = 0;
    }
    if (id < m_change.size())
        m_change[id] = 0;
    m_rows.release(id);
    --m_liveCount;
    m_dirty = true;
    ++m_changes;
}

}  // namespace velmora::engine::store
