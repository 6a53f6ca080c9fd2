// A table in memory: its schema and its rows in stored (physical) order.
//
// Rows are addressed by a RowId that stays valid while the table lives in memory: deleting a
// row leaves a tombstone, so record sets and statements that hold ids are never shifted under
// their feet. Values in a Row are in the order of TableSchema::columns. The rows are kept
// packed (packed_rows.h) and decoded when read: reading gives copies, never references.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/store/packed_rows.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::store {

using RowId = size_t;

struct KeyCache;  // the unique-key sets of the constraint checks (constraints.cpp)

class Table {
public:
    explicit Table(TableSchema schema)
        : m_schema(std::move(schema)), m_schemaStamp(nextSchemaStamp()) {}

    const TableSchema& schema() const { return m_schema; }
    // The schema to change; changes go through the reference this returns before any
    // statement runs again.
    TableSchema& mutableSchema() {
        m_storedAt.clear();  // its keys may be built from other columns now
        forgetPlaces();      // the storage writes a redesigned table anew
        m_dirty = true;
        ++m_changes;
        m_schemaStamp = nextSchemaStamp();
        return m_schema;
    }
    // Names this table object with its schema as it stands: drawn anew from one counter for
    // all tables when the table is made and when its schema is handed out for change, so equal
    // stamps mean the same table with the same columns. A statement bound to the table may
    // keep its binding while the stamp holds.
    uint64_t schemaStamp() const { return m_schemaStamp; }

    // Live rows, and the ids one can iterate in stored order.
    size_t liveRowCount() const { return m_liveCount; }
    RowId idLimit() const { return m_rows.size(); }
    bool isLive(RowId id) const { return id < m_deleted.size() && !m_deleted[id]; }
    Row row(RowId id) const { return m_rows.row(id); }
    // Row id into `out`, reusing the storage of the values it holds.
    void rowInto(RowId id, Row& out) const { m_rows.rowInto(id, out); }
    Value value(RowId id, size_t column) const { return m_rows.value(id, column); }
    void valueInto(RowId id, size_t column, Value& out) const { m_rows.valueInto(id, column, out); }
    bool isNullAt(RowId id, size_t column) const { return m_rows.isNull(id, column); }
    // The values of the columns marked in `wanted` into `out` (sized to the row; the others
    // are left as they were), in one walk over the row.
    void columnsInto(RowId id, std::span<const uint8_t> wanted, Row& out) const {
        m_rows.columnsInto(id, wanted, out);
    }
    uint64_t nullMask(RowId id, size_t columns = 64) const { return m_rows.nullMask(id, columns); }
    // The packed bytes of each value of a row, for a result that keeps them as they are.
    void packedValues(RowId id, std::vector<std::string_view>& out) const {
        m_rows.packedValues(id, out);
    }

    // The positions of the columns the storage left unread when it loaded the table for a
    // statement that reads only the others (TableStorage::loadColumns()); none for a table
    // read whole. Their values stand as Null here while the file holds them as they are:
    // nothing changes an unread column, and store::Database has the storage read them
    // (fillUnread()) before the table serves any other reader or a commit that writes more
    // than fixed values in place.
    std::span<const int> unreadColumns() const { return m_unread; }
    bool hasUnreadColumns() const { return !m_unread.empty(); }
    void setUnreadColumns(std::vector<int> positions) { m_unread = std::move(positions); }
    // The stored values of the unread columns of row id, in unreadColumns() order: no change
    // to the table, as they were its values all along.
    void fillUnread(RowId id, std::span<const Value> values) {
        m_rows.assignValues(id, m_unread, values);
    }
    void markAllRead() { m_unread.clear(); }
    // Whether every change since the last markClean() is one of fixed-width values of a
    // stored row, its index values kept: a storage writes such changes over the stored
    // images, reading nothing else of the rows.
    bool changedInPlaceOnly() const;

    // Room for this many rows (a table about to be loaded).
    void reserve(size_t rows) {
        m_rows.reserve(rows);
        m_deleted.reserve(rows);
        m_storedAt.reserve(rows);
        m_place.reserve(rows);
        m_change.reserve(rows);
    }

    // Raw changes; constraint checks sit above this in the engine.
    RowId append(const Row& row);
    // A row as the storage read it, from the place it numbers `place` (never 0).
    RowId appendStored(const Row& row, uint32_t place);
    // The same for a row the storage decoded straight into its packed form.
    RowId appendStored(const PackedRowBuilder& row, uint32_t place);
    // `keysKept`: every value in a column of an index is the same, bit for bit, as before.
    void replace(RowId id, const Row& row, bool keysKept = false);
    // The same for the values at `columns` alone (PackedRows::assignValues).
    void replaceValues(RowId id, std::span<const int> columns, std::span<const Value> values,
                       bool keysKept);
    void erase(RowId id);

    // Where the storage read a row whose index values are still the ones it read there: the
    // place appendStored() was given. 0 for a row added since, deleted, changed in an indexed
    // column, or in a table whose schema changed. A storage that checks the keys it holds
    // against the rows can take such a row's key for the stored row's without reading it.
    uint32_t storedAt(RowId id) const { return id < m_storedAt.size() ? m_storedAt[id] : 0; }
    // How many rows appendStored() added: the rows the storage held when they were read.
    size_t storedRowCount() const { return m_storedRows; }
    // Forgets where the rows were read, once the storage has written the table anew.
    void forgetStoredPlaces() {
        m_storedAt.clear();
        m_storedRows = 0;
    }

    // Where the storage holds each row: the place appendStored() gave it, or the one the
    // last commit wrote it to, kept through replace(); 0 for a row not stored yet. With the
    // changes noted since the last markClean(), a storage can write only the rows that
    // changed. placesKnown() is false until the storage gave every stored row its place, and
    // again once the schema changes.
    bool placesKnown() const { return m_placesKnown; }
    uint32_t placeOf(RowId id) const { return id < m_place.size() ? m_place[id] : 0; }
    // Since the last markClean(): whether the row was added or replaced, and whether a value
    // of one of its index columns changed (always for an added row).
    bool isChanged(RowId id) const { return id < m_change.size() && m_change[id] != 0; }
    bool keysChanged(RowId id) const {
        return id < m_change.size() && (m_change[id] & kKeysChanged) != 0;
    }
    // For a stored row changed since the last markClean() in fixed-width values alone (the
    // Yes/No columns included), by replaceValues() only: bit c set for each position c of
    // those values. 0 for any other row, whose image a storage encodes whole. A storage can
    // write such a row by writing those values over its stored image.
    uint64_t fixedValuesChanged(RowId id) const {
        return isChanged(id) && (m_change[id] & kWhole) == 0 && id < m_fixedChanged.size()
                   ? m_fixedChanged[id]
                   : 0;
    }
    // The places of the stored rows erased since the last markClean().
    const std::vector<uint32_t>& erasedPlaces() const { return m_erasedPlaces; }
    // The storage has written the table: every row it lists is now at its place, and with
    // `whole` every other row is stored nowhere.
    void setPlaces(std::span<const std::pair<RowId, uint32_t>> places, bool whole);

    // Set by every change since the table was loaded or last committed.
    bool isDirty() const { return m_dirty; }
    void markClean() {
        m_dirty = false;
        m_change.assign(m_change.size(), 0);
        m_fixedChanged.clear();
        m_erasedPlaces.clear();
    }

    // Grows with every change of rows or schema; caches built from the rows compare it.
    uint64_t changeCount() const { return m_changes; }
    // Storage for the constraint checks' key sets, valid while changeCount() is unchanged.
    std::shared_ptr<KeyCache>& keyCache() const { return m_keyCache; }

    // f(id, row) for every live row in stored order; the row is valid during the call only.
    template <class F>
    void forEachLive(F&& f) const {
        Row row;
        for (RowId id = 0; id < m_rows.size(); ++id) {
            if (!m_deleted[id]) {
                m_rows.rowInto(id, row);
                f(id, static_cast<const Row&>(row));
            }
        }
    }
    // The same with only the values at the positions `wanted` marks decoded; the others read
    // as Null. For a pass that needs a few columns of every row, such as an index's.
    template <class F>
    void forEachLiveColumns(std::span<const uint8_t> wanted, F&& f) const {
        Row row;
        for (RowId id = 0; id < m_rows.size(); ++id) {
            if (!m_deleted[id]) {
                m_rows.columnsInto(id, wanted, row);
                f(id, static_cast<const Row&>(row));
            }
        }
    }
    // f(id) for every live row in stored order, without decoding it.
    template <class F>
    void forEachLiveId(F&& f) const {
        for (RowId id = 0; id < m_rows.size(); ++id) {
            if (!m_deleted[id])
                f(id);
        }
    }

private:
    static constexpr uint8_t kChanged = 1;
    static constexpr uint8_t kKeysChanged = 2;
    static constexpr uint8_t kWhole = 4;  // changed otherwise than in fixed-width values
    void noteChange(RowId id, uint8_t what);
    // The marks of the row appendStored() just added.
    RowId noteStored(uint32_t place);
    void noteReplaced(RowId id, bool keysKept);
    // replaceValues() at `columns`: the positions join the row's fixed-width changes, or the
    // row is to be written whole from now on.
    void noteValuesReplaced(RowId id, std::span<const int> columns);
    void forgetPlaces() {
        m_placesKnown = false;
        m_place.clear();
        m_erasedPlaces.clear();
        m_fixedChanged.clear();
    }

    TableSchema m_schema;
    PackedRows m_rows;
    std::vector<bool> m_deleted;
    std::vector<uint32_t> m_storedAt;  // by RowId, for the rows read from the storage
    size_t m_storedRows = 0;
    std::vector<uint32_t> m_place;         // by RowId
    std::vector<uint8_t> m_change;         // by RowId: kChanged | kKeysChanged | kWhole
    std::vector<uint64_t> m_fixedChanged;  // by RowId: fixedValuesChanged() without kWhole
    std::vector<uint32_t> m_erasedPlaces;
    std::vector<int> m_unread;  // positions, ascending
    bool m_placesKnown = false;
    size_t m_liveCount = 0;
    bool m_dirty = false;
    uint64_t m_changes = 0;
    uint64_t m_schemaStamp;
    mutable std::shared_ptr<KeyCache> m_keyCache;

    static uint64_t nextSchemaStamp();
};

}  // namespace velmora::engine::store
