// Checked changes of in-memory tables: the rules Jet enforces when a row is added or changed.
//
// Every insert and update that comes from a statement or a record set goes through
// insertRow()/updateRow() here, never straight to Table::append/replace. They
//   1. convert each assigned value to its column's type (3421 when a text does not convert,
//      3349 when a number does not fit, 3163 when a text or binary is longer than its column),
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

#include <cstdint>
#include <optional>

#include "engine/base/status.h"
#include "engine/store/general_sort_order.h"
#include "engine/store/schema.h"
#include "engine/store/table.h"
#include "engine/store/value.h"

namespace velmora::engine::store {

// What the storage format decides about rows: index keys, text capacity, row size.
class RowRules {
public:
    virtual ~RowRules() = default;

    // The key of `row` (values in schema.columns order) in `index`; equal keys are duplicates.
    virtual Result<KeyBytes> encode(const TableSchema& schema, const RealIndex& index,
                                    const Row& row) const = 0;
    // Characters a Text column holds (Jet 4 stores two bytes per character).
    virtual uint16_t maxTextChars(const ColumnDef& column) const { return column.maxChars(true); }
    // 3047 when the row cannot be stored (too large for a page).
    virtual Status checkRowFits(const TableSchema&, const Row&) const { return Status::ok(); }
};

// Rules for tables kept only in memory: keys with the same equality as Jet's General order.
const RowRules& memoryRowRules();

// Converts a value assigned to a column to the column's own type. Text is parsed the way Jet
// converts text (numbers with '.' as the decimal sign, True/False/Yes/No/On/Off, dates as
// yyyy-mm-dd or mm/dd/yyyy with an optional time, GUIDs in braces).
Result<Value> convertForColumn(const ColumnDef& column, const Value& value, const RowRules& rules);

// Adds a row after the checks above; returns its id. `row` is in schema.columns order.
Result<RowId> insertRow(Table& table, Row row, const RowRules& rules);
// Replaces a live row after the checks above (the row's own old key is not a duplicate).
Status updateRow(Table& table, RowId id, Row row, const RowRules& rules);
// Deletes a live row (3021 when there is none).
Status deleteRow(Table& table, RowId id);

// Whether the table's rows satisfy a unique or required index it does not have yet (used
// before creating a primary key): 3022 on the first duplicate, 3058 on a Null key column.
Status checkNewIndex(const Table& table, const RealIndex& index, bool primary,
                     const RowRules& rules);

}  // namespace velmora::engine::store
