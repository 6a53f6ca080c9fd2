// Checked changes of in-memory tables: the rules Jet enforces when a row is added or changed.
//
// Every insert and update that comes from a statement or a record set goes through
// insertRow()/updateRow() here, never straight to Table::append/replace. They
//   1. convert each assigned value to its column's type (value_conversion.h: 3421 when a
//      text does not convert, 3349 when a number does not fit, 3163 when a text or binary is
//      longer than its column),
//   2. hand out AutoNumber values for Null AutoNumber columns,
//   3. refuse Null in a required column (3314) and in any key column of a primary key or
//      required index (3058),
//   4. refuse a duplicate key in a unique index or primary key (3022),
//   5. ask the storage whether the row fits its format at all (3047),
// and only then change the table; a refused change leaves the table exactly as it was.
//
// Uniqueness compares encoded index keys, so it follows the index's own collation ("Sport" and
// "sport", "Straße" and "Strasse" collide). The keys come from a RowRules object that the
// storage provides (TableStorage::rowRules()): the Jet file format builds real Jet keys; tables
// that live only in memory use an equivalent key built on the General collation. Unique-key
// sets are cached per table and rebuilt when the table changed behind the checks' back.
//
// Order of checks, as Jet reports them: conversion errors first (they happen on assignment),
// then Null checks, then duplicates.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/base/status.h"
#include "engine/store/row_rules.h"
#include "engine/store/schema.h"
#include "engine/store/table.h"
#include "engine/store/value.h"
#include "engine/store/value_conversion.h"

namespace velmora::engine::store {

// Adds a row after the checks above; returns its id. `row` is in schema.columns order.
Result<RowId> insertRow(Table& table, Row row, const RowRules& rules);
// The values of a row an update replaced, and the converted values that replaced them (what
// the table now reads back), for caches that follow the table's rows.
struct RowUpdate {
    Row before;
    Row after;
    // Set by a caller that holds the row exactly as the table has it now (read since the
    // table's last change): `before` is then taken as given, not read again.
    bool beforeGiven = false;
};
// Replaces a live row after the checks above (the row's own old key is not a duplicate). With
// `done`, a successful update leaves both versions of the row there.
Status updateRow(Table& table, RowId id, Row row, const RowRules& rules, RowUpdate* done = nullptr);
// An update of some values of one row: `columns` (distinct positions) take `values`, one for
// one. After a successful updateValues() `values` holds them converted, as the table reads
// them back, and `before` the values they replaced.
struct ValuesUpdate {
    std::vector<int> columns;
    std::vector<Value> values;
    std::vector<Value> before;

    // Where `columns` holds position pos, and the value given for it (null when none is).
    size_t slotOf(size_t pos) const {
        return size_t(std::find(columns.begin(), columns.end(), int(pos)) - columns.begin());
    }
    const Value* valueAt(size_t pos) const {
        const size_t k = slotOf(pos);
        return k < columns.size() ? &values[k] : nullptr;
    }
    // Sets the given values in a whole row.
    void applyTo(Row& row) const {
        for (size_t k = 0; k < columns.size(); ++k)
            row[size_t(columns[k])] = values[k];
    }
};
// The same checks and errors as updateRow() for such an update, and the same change, but only
// the values given and the columns the checks need are read: the row's other values stand as
// stored.
Status updateValues(Table& table, RowId id, ValuesUpdate& update, const RowRules& rules);
// The columns updateValues() reads of a row when it assigns `columns`, one byte per position
// of the schema (non-zero: read): those and the ones its Null checks ask about. Empty when it
// reads every column: a value of variable width makes it check the whole row's size, and a
// value of an index column the keys of every row.
std::vector<uint8_t> columnsReadByUpdate(const TableSchema& schema,
                                         const std::vector<int>& columns);
// Deletes a live row (3021 when there is none).
Status deleteRow(Table& table, RowId id);

// Whether the table's rows satisfy a unique or required index it does not have yet (used
// before creating a primary key): 3022 on the first duplicate, 3058 on a Null key column.
Status checkNewIndex(const Table& table, const RealIndex& index, bool primary,
                     const RowRules& rules);

}  // namespace velmora::engine::store
