// Checked inserts, updates and deletes: Null and duplicate-key checks on encoded keys.
#include "engine/store/constraints.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <string>
#include <string_view>

#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/store/collation.h"
#include "engine/store/keyed_ids.h"

namespace velmora::engine::store {

struct KeyCache {
    const Table* owner = nullptr;
    uint64_t changeCount = 0;
    const RowRules* rules = nullptr;
    // Per real index (by position): key → row, only for indexes that refuse duplicates. A key
    // holds one row: a stored duplicate keeps the first row that has it.
    std::vector<KeyedIds> keys;
    // Per real index: the stored rows already held one of its keys twice (a damaged file).
    // Then every update is checked in full, so the later rows of such a key stay refused.
    std::vector<bool> storedDuplicates;
};

namespace {

// What updateValues() asks of each row for one set of assigned columns: worked out from the
// schema once for a statement over many rows, not again for every row.
struct UpdateChecks {
    static constexpr size_t kStored = SIZE_MAX;  // a slot: the row keeps its stored value
    uint64_t schemaStamp = 0;
    std::vector<int> columns;
    // A column the Null checks ask about: its position, and its slot in `columns` or kStored.
    struct Asked {
        size_t pos;
        size_t slot;
    };
    std::vector<Asked> required;          // in column order (3314)
    std::vector<Asked> keys;              // in index order (3058)
    std::vector<size_t> autoNumberSlots;  // AutoNumber columns assigned (3164)
    bool fixedOnly = true;                // every column assigned is fixed-width
    // The stored values the Null checks may read lie in the columns before this one (below
    // the 64th): a row's null mask is read that far only.
    size_t storedNullsEnd = 0;
    // Real indexes below the 64th: those with no column assigned stay as they are; the
    // others when each value assigned in them is stored as it was. An index with a column the
    // schema lacks is never kept.
    uint64_t untouchedIndexes = 0;
    struct TouchedIndex {
        uint64_t bit;
        std::vector<size_t> slots;
    };
    std::vector<TouchedIndex> touchedIndexes;
};

std::string_view bytesOf(const KeyBytes& key) {
    return {reinterpret_cast<const char*>(key.data()), key.size()};
}

// Key bytes with the same equality as a Jet key, for tables without a file format.
class MemoryRowRules : public RowRules {
public:
    Result<KeyBytes> encode(const TableSchema& schema, const RealIndex& index,
                            const Row& row) const override {
        KeyBytes key;
        for (const IndexColumn& ic : index.columns) {
            const Value* v = nullptr;
            for (size_t i = 0; i < schema.columns.size(); ++i) {
                if (schema.columns[i].number == ic.columnNumber)
                    v = &row[i];
            }
            if (v == nullptr || isNull(*v)) {
                key.push_back(0);
                continue;
            }
            key.push_back(1);
            std::string part;
            if (auto* s = std::get_if<std::string>(v)) {
                part = sortKey(withoutTrailingBlanks(std::string_view(*s)));
            } else if (auto n = numericValue(*v)) {
                double d = *n == 0 ? 0.0 : *n;
                part.assign(reinterpret_cast<const char*>(&d), sizeof d);
            } else if (auto* b = std::get_if<Blob>(v)) {
                part.assign(b->begin(), b->end());
            } else if (auto* g = std::get_if<Guid>(v)) {
                part.assign(g->bytes.begin(), g->bytes.end());
            }
            auto len = static_cast<uint32_t>(part.size());
            key.insert(key.end(), reinterpret_cast<const uint8_t*>(&len),
                       reinterpret_cast<const uint8_t*>(&len) + 4);
            key.insert(key.end(), part.begin(), part.end());
        }
        return key;
    }
};

bool refusesDuplicates(const TableSchema& schema, size_t realIndex) {
    if (schema.realIndexes[realIndex].isUnique())
        return true;
    for (const LogicalIndex& li : schema.logicalIndexes) {
        if (li.isPrimary() && li.realIndex == realIndex)
            return true;
    }
    return false;
}

bool refusesNulls(const TableSchema& schema, size_t realIndex) {
    if (schema.realIndexes[realIndex].isRequired())
        return true;
    for (const LogicalIndex& li : schema.logicalIndexes) {
        if (li.isPrimary() && li.realIndex == realIndex)
            return true;
    }
    return false;
}

std::optional<size_t> positionOf(const TableSchema& schema, uint16_t number) {
    // A column's number is its position until a column before it is dropped; numbers are
    // unique, so a column found there is the one.
    if (number < schema.columns.size() && schema.columns[number].number == number)
        return number;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (schema.columns[i].number == number)
            return i;
    }
    return std::nullopt;
}

bool allNull(const TableSchema& schema, const RealIndex& index, const Row& row) {
    for (const IndexColumn& ic : index.columns) {
        auto pos = positionOf(schema, ic.columnNumber);
        if (pos && !isNull(row[*pos]))
            return false;
    }
    return true;
}

// Marks the positions of an index's columns, for Table::forEachLiveColumns().
std::vector<uint8_t> indexPositions(const TableSchema& schema, const RealIndex& index) {
    std::vector<uint8_t> wanted;
    for (const IndexColumn& ic : index.columns) {
        if (auto pos = positionOf(schema, ic.columnNumber)) {
            if (wanted.size() <= *pos)
                wanted.resize(*pos + 1);
            wanted[*pos] = 1;
        }
    }
    return wanted;
}

Status duplicateError(const TableSchema& schema) {
    return Status::error(err::kDuplicateKey,
                         "The changes you requested to the table '" + schema.name +
                             "' were not successful because they would create duplicate values "
                             "in the index, primary key, or relationship.");
}

// The cache of unique keys, rebuilt when the table changed outside these checks.
Result<KeyCache*> keyCacheFor(const Table& table, const RowRules& rules) {
    std::shared_ptr<KeyCache>& slot = table.keyCache();
    if (slot && slot->owner == &table && slot->changeCount == table.changeCount() &&
        slot->rules == &rules && slot->keys.size() == table.schema().realIndexes.size()) {
        return slot.get();
    }
    auto cache = std::make_shared<KeyCache>();
    cache->owner = &table;
    cache->rules = &rules;
    const TableSchema& schema = table.schema();
    cache->keys.resize(schema.realIndexes.size());
    cache->storedDuplicates.resize(schema.realIndexes.size());
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesDuplicates(schema, ix))
            continue;
        const RealIndex& index = schema.realIndexes[ix];
        KeyedIds& keys = cache->keys[ix];
        keys.reserve(table.liveRowCount());
        // Keys read only the index's columns; every key is built in one buffer.
        KeyBytes key;
        Status failure;
        table.forEachLiveColumns(indexPositions(schema, index), [&](RowId id, const Row& row) {
            if (!failure.isOk() || allNull(schema, index, row))
                return;
            key.clear();
            failure = rules.appendKey(key, schema, index, row);
            if (!failure.isOk())
                return;
            if (!keys.find(bytesOf(key)).empty())
                cache->storedDuplicates[ix] = true;
            else
                keys.insert(bytesOf(key), id);
        });
        VELMORA_RETURN_IF_ERROR(failure);
    }
    cache->changeCount = table.changeCount();
    slot = cache;
    return slot.get();
}

Status requiredIsNull(const TableSchema& schema, const ColumnDef& c) {
    return Status::error(err::kRequiredIsNull,
                         "The field '" + schema.name + "." + c.name +
                             "' cannot contain a Null value because the Required property for "
                             "this field is set to True.");
}

// Whether the Null checks ask about a column: required ones (3314), and the key columns of
// primary keys and required indexes (3058). AutoNumber columns are filled in after them.
bool nullRefusedAsRequired(const ColumnDef& c) {
    return c.required && !c.isAutoNumber();
}
bool nullRefusedAsKey(const ColumnDef& c) {
    return c.type != ColumnType::Boolean && !c.isAutoNumber();
}

// The Null checks of a row whose value at position p is Null when nullAt(p): required columns
// (3314), then the key columns of primary keys and required indexes (3058).
template <class NullAt>
Status checkNulls(const TableSchema& schema, NullAt&& nullAt) {
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        const ColumnDef& c = schema.columns[i];
        if (nullRefusedAsRequired(c) && nullAt(i))
            return requiredIsNull(schema, c);
    }
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesNulls(schema, ix))
            continue;
        for (const IndexColumn& ic : schema.realIndexes[ix].columns) {
            auto pos = positionOf(schema, ic.columnNumber);
            if (pos && nullRefusedAsKey(schema.columns[*pos]) && nullAt(*pos))
                return jetError(err::kPrimaryKeyNull);
        }
    }
    return Status::ok();
}

// Converts every value and checks everything but uniqueness.
Status prepareRow(const Table& table, Row& row, const RowRules& rules) {
    const TableSchema& schema = table.schema();
    if (row.size() != schema.columns.size()) {
        return Status::error(err::kInvalidArgument,
                             "row has " + std::to_string(row.size()) + " values for " +
                                 std::to_string(schema.columns.size()) + " columns");
    }
    for (size_t i = 0; i < row.size(); ++i)
        VELMORA_RETURN_IF_ERROR(convertInPlace(schema.columns[i], row[i], rules));
    return checkNulls(schema, [&](size_t pos) { return isNull(row[pos]); });
}

// 3164 when an update changes the value of an AutoNumber column: Jet refuses to.
Status checkAutoNumberKept(const ColumnDef& column, const Value& before, const Value& after) {
    if (column.type == ColumnType::Long && column.isAutoNumber() && after != before)
        return Status::error(err::kFieldNotUpdatable,
                             "Field '" + column.name + "' cannot be updated.");
    return Status::ok();
}

// Whether two values are the same as stored: the same type and, for floating point, the same
// bits. 0.0 and -0.0 compare equal as numbers but have different keys.
bool sameStoredValue(const Value& a, const Value& b) {
    if (a.index() != b.index())
        return false;
    if (const auto* x = std::get_if<float>(&a))
        return std::bit_cast<uint32_t>(*x) == std::bit_cast<uint32_t>(std::get<float>(b));
    if (const auto* x = std::get_if<double>(&a))
        return std::bit_cast<uint64_t>(*x) == std::bit_cast<uint64_t>(std::get<double>(b));
    if (const auto* x = std::get_if<DateTime>(&a))
        return std::bit_cast<uint64_t>(x->days) ==
               std::bit_cast<uint64_t>(std::get<DateTime>(b).days);
    return a == b;
}

bool sameStoredRow(const Row& a, const Row& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameStoredValue);
}

// Whether two rows hold the same values in the columns of an index. A row updated without
// touching a key keeps that key, and its entry in the key cache stays as it is: the cache
// could only be built because every stored key encodes.
bool sameIndexValues(const TableSchema& schema, const RealIndex& index, const Row& a,
                     const Row& b) {
    for (const IndexColumn& ic : index.columns) {
        auto pos = positionOf(schema, ic.columnNumber);
        if (!pos || !sameStoredValue(a[*pos], b[*pos]))
            return false;
    }
    return true;
}

// The real indexes whose values an update leaves as they were, one bit each. Indexes past the
// 64th count as changed: their keys are only built again.
uint64_t keptIndexes(const TableSchema& schema, const Row& before, const Row& after) {
    uint64_t kept = 0;
    for (size_t ix = 0; ix < schema.realIndexes.size() && ix < 64; ++ix) {
        if (sameIndexValues(schema, schema.realIndexes[ix], before, after))
            kept |= uint64_t(1) << ix;
    }
    return kept;
}

bool isKept(uint64_t kept, size_t ix) {
    return ix < 64 && ((kept >> ix) & 1) != 0;
}

// Finds a duplicate of `row` among other rows; collects the new keys for the cache. Indexes
// in `kept` (an update that left their values alone) are skipped.
Status checkUnique(const Table& table, const Row& row, std::optional<RowId> self,
                   const RowRules& rules, KeyCache& cache,
                   std::vector<std::pair<size_t, KeyBytes>>& newKeys, uint64_t kept = 0) {
    const TableSchema& schema = table.schema();
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesDuplicates(schema, ix))
            continue;
        const RealIndex& index = schema.realIndexes[ix];
        if (allNull(schema, index, row))
            continue;
        if (isKept(kept, ix) && !cache.storedDuplicates[ix])
            continue;
        VELMORA_ASSIGN_OR_RETURN(KeyBytes key, rules.encode(schema, index, row));
        std::span<const RowId> holder = cache.keys[ix].find(bytesOf(key));
        if (!holder.empty() && (!self || holder.front() != *self))
            return duplicateError(schema);
        newKeys.emplace_back(ix, std::move(key));
    }
    return Status::ok();
}

// Removes the keys of `row`, row id's values about to be replaced or deleted, from the cache;
// the keys of indexes in `kept` (an update that left their values alone) stay.
void forgetKeys(const Table& table, RowId id, const Row& row, const RowRules& rules,
                KeyCache& cache, uint64_t kept = 0) {
    const TableSchema& schema = table.schema();
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesDuplicates(schema, ix) || allNull(schema, schema.realIndexes[ix], row))
            continue;
        if (isKept(kept, ix) && !cache.storedDuplicates[ix])
            continue;
        Result<KeyBytes> key = rules.encode(schema, schema.realIndexes[ix], row);
        if (!key.isOk())
            continue;  // such a row was never cached: building the cache would have failed
        cache.keys[ix].erase(bytesOf(*key), id);
    }
}

// The indexes an update of the values at update.columns alone leaves as they were
// (update.before read), as keptIndexes() above tells for whole rows.
uint64_t keptIndexes(const UpdateChecks& checks, const ValuesUpdate& update) {
    uint64_t kept = checks.untouchedIndexes;
    for (const UpdateChecks::TouchedIndex& index : checks.touchedIndexes) {
        if (std::all_of(index.slots.begin(), index.slots.end(), [&](size_t k) {
                return sameStoredValue(update.before[k], update.values[k]);
            }))
            kept |= index.bit;
    }
    return kept;
}

bool allIndexesKept(const TableSchema& schema, uint64_t kept) {
    const size_t indexes = schema.realIndexes.size();
    return indexes <= 64 && kept == (indexes == 64 ? ~uint64_t(0) : (uint64_t(1) << indexes) - 1);
}

// An update that changes no key: the key sets stay right as they are, and a table edited
// outside its indexes (a renumbering, a rename) never builds them. A row read from the file
// whose index values all stay is still what the file holds for those indexes
// (Table::storedAt()). `replace` changes the table.
template <class Replace>
void replaceKeepingKeys(Table& table, Replace&& replace) {
    const std::shared_ptr<KeyCache>& slot = table.keyCache();
    const bool cacheValid =
        slot && slot->owner == &table && slot->changeCount == table.changeCount();
    replace();
    if (cacheValid)
        slot->changeCount = table.changeCount();
}

// An update that changes keys of the indexes not in `kept`: checked against the other rows'
// keys, then the row replaced by `replace` (into `row`) and its keys moved in the key sets.
template <class Replace>
Status replaceChangingKeys(Table& table, RowId id, const Row& before, const Row& row, uint64_t kept,
                           const RowRules& rules, Replace&& replace) {
    VELMORA_ASSIGN_OR_RETURN(KeyCache * cache, keyCacheFor(table, rules));
    std::vector<std::pair<size_t, KeyBytes>> newKeys;
    VELMORA_RETURN_IF_ERROR(checkUnique(table, row, id, rules, *cache, newKeys, kept));
    forgetKeys(table, id, before, rules, *cache, kept);
    replace();
    // The checks left each new key free or held by this row already.
    for (const auto& [ix, key] : newKeys)
        cache->keys[ix].insert(bytesOf(key), id);
    cache->changeCount = table.changeCount();
    return Status::ok();
}

// The checks of an update of `columns` of `table`. A statement updates its rows one by one
// with the same columns: the last checks worked out are kept, for the table's schema stamp,
// which names one table with one set of columns, and the columns. Per thread, as the tables
// a thread changes are its own while it changes them.
const UpdateChecks& checksFor(const Table& table, const std::vector<int>& columns) {
    thread_local std::unique_ptr<UpdateChecks> last;
    if (last && last->schemaStamp == table.schemaStamp() && last->columns == columns)
        return *last;
    const TableSchema& schema = table.schema();
    auto checks = std::make_unique<UpdateChecks>();
    checks->schemaStamp = table.schemaStamp();
    checks->columns = columns;
    const auto slotOf = [&](size_t pos) {
        const auto at = std::find(columns.begin(), columns.end(), int(pos));
        return at == columns.end() ? UpdateChecks::kStored : size_t(at - columns.begin());
    };
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (nullRefusedAsRequired(schema.columns[i]))
            checks->required.push_back({i, slotOf(i)});
    }
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesNulls(schema, ix))
            continue;
        for (const IndexColumn& ic : schema.realIndexes[ix].columns) {
            const auto pos = positionOf(schema, ic.columnNumber);
            if (pos && nullRefusedAsKey(schema.columns[*pos]))
                checks->keys.push_back({*pos, slotOf(*pos)});
        }
    }
    for (const std::vector<UpdateChecks::Asked>* asked : {&checks->required, &checks->keys}) {
        for (const UpdateChecks::Asked& a : *asked) {
            if (a.slot == UpdateChecks::kStored && a.pos < 64)
                checks->storedNullsEnd = std::max(checks->storedNullsEnd, a.pos + 1);
        }
    }
    for (size_t k = 0; k < columns.size(); ++k) {
        const ColumnDef& column = schema.columns[size_t(columns[k])];
        if (column.type == ColumnType::Long && column.isAutoNumber())
            checks->autoNumberSlots.push_back(k);
        checks->fixedOnly = checks->fixedOnly && column.isFixed();
    }
    for (size_t ix = 0; ix < schema.realIndexes.size() && ix < 64; ++ix) {
        UpdateChecks::TouchedIndex index{uint64_t(1) << ix, {}};
        bool found = true;
        for (const IndexColumn& ic : schema.realIndexes[ix].columns) {
            const auto pos = positionOf(schema, ic.columnNumber);
            found = found && pos.has_value();
            if (pos && slotOf(*pos) != UpdateChecks::kStored)
                index.slots.push_back(slotOf(*pos));
        }
        if (!found)
            continue;
        if (index.slots.empty())
            checks->untouchedIndexes |= index.bit;
        else
            checks->touchedIndexes.push_back(std::move(index));
    }
    last = std::move(checks);
    return *last;
}

// The Null checks of checkNulls() for an update by its checks: the stored values asked about
// are read in one pass, once one is asked for.
Status checkNulls(const Table& table, RowId id, const ValuesUpdate& update,
                  const UpdateChecks& checks) {
    std::optional<uint64_t> storedNulls;
    const auto nullAt = [&](const UpdateChecks::Asked& asked) {
        if (asked.slot != UpdateChecks::kStored)
            return isNull(update.values[asked.slot]);
        if (asked.pos >= 64)
            return table.isNullAt(id, asked.pos);
        if (!storedNulls)
            storedNulls = table.nullMask(id, checks.storedNullsEnd);
        return ((*storedNulls >> asked.pos) & 1) != 0;
    };
    for (const UpdateChecks::Asked& asked : checks.required) {
        if (nullAt(asked))
            return requiredIsNull(table.schema(), table.schema().columns[asked.pos]);
    }
    for (const UpdateChecks::Asked& asked : checks.keys) {
        if (nullAt(asked))
            return jetError(err::kPrimaryKeyNull);
    }
    return Status::ok();
}

}  // namespace

const RowRules& memoryRowRules() {
    static const MemoryRowRules rules;
    return rules;
}

Result<RowId> insertRow(Table& table, Row row, const RowRules& rules) {
    VELMORA_RETURN_IF_ERROR(prepareRow(table, row, rules));
    const TableSchema& schema = table.schema();
    // AutoNumber values are handed out only once the row is otherwise acceptable, but before
    // the key checks, since an AutoNumber column is often the primary key.
    std::optional<uint32_t> nextAuto;
    for (size_t i = 0; i < row.size(); ++i) {
        const ColumnDef& c = schema.columns[i];
        if (c.type != ColumnType::Long || !c.isAutoNumber())
            continue;
        if (isNull(row[i])) {
            row[i] = Value(int64_t(schema.nextAutoNumber));
            nextAuto = schema.nextAutoNumber + 1;
        } else {
            int64_t given = std::get<int64_t>(row[i]);
            if (given >= int64_t(schema.nextAutoNumber) && given < INT32_MAX)
                nextAuto = uint32_t(given + 1);
        }
    }
    VELMORA_RETURN_IF_ERROR(rules.checkRowFits(schema, row));
    VELMORA_ASSIGN_OR_RETURN(KeyCache * cache, keyCacheFor(table, rules));
    std::vector<std::pair<size_t, KeyBytes>> newKeys;
    VELMORA_RETURN_IF_ERROR(checkUnique(table, row, std::nullopt, rules, *cache, newKeys));
    if (nextAuto)
        table.mutableSchema().nextAutoNumber = *nextAuto;
    RowId id = table.append(row);
    for (const auto& [ix, key] : newKeys)
        cache->keys[ix].insert(bytesOf(key), id);
    cache->changeCount = table.changeCount();
    return id;
}

Status updateRow(Table& table, RowId id, Row row, const RowRules& rules, RowUpdate* done) {
    if (!table.isLive(id))
        return jetError(err::kNoCurrentRecord);
    VELMORA_RETURN_IF_ERROR(prepareRow(table, row, rules));
    const TableSchema& schema = table.schema();
    Row ownBefore;
    Row& before = done ? done->before : ownBefore;
    if (!done || !done->beforeGiven)
        table.rowInto(id, before);
    // An update that stores every value as it was changes nothing, as in Jet: the row is not
    // marked changed, so the commit neither encodes nor writes it. A save writes each grid row
    // back, and most of them were not edited.
    if (sameStoredRow(before, row)) {
        if (done)
            done->after = std::move(row);
        return Status::ok();
    }
    for (size_t i = 0; i < row.size(); ++i)
        VELMORA_RETURN_IF_ERROR(checkAutoNumberKept(schema.columns[i], before[i], row[i]));
    VELMORA_RETURN_IF_ERROR(rules.checkRowFits(schema, row));
    const uint64_t kept = keptIndexes(schema, before, row);
    if (allIndexesKept(schema, kept))
        replaceKeepingKeys(table, [&] { table.replace(id, row, true); });
    else
        VELMORA_RETURN_IF_ERROR(replaceChangingKeys(table, id, before, row, kept, rules,
                                                    [&] { table.replace(id, row, false); }));
    if (done)
        done->after = std::move(row);
    return Status::ok();
}

Status updateValues(Table& table, RowId id, ValuesUpdate& update, const RowRules& rules) {
    if (!table.isLive(id))
        return jetError(err::kNoCurrentRecord);
    const TableSchema& schema = table.schema();
    const std::vector<int>& columns = update.columns;
    std::vector<Value>& values = update.values;
    const UpdateChecks& checks = checksFor(table, columns);
    for (size_t k = 0; k < columns.size(); ++k)
        VELMORA_RETURN_IF_ERROR(
            convertInPlace(schema.columns[size_t(columns[k])], values[k], rules));
    VELMORA_RETURN_IF_ERROR(checkNulls(table, id, update, checks));
    update.before.resize(columns.size());
    for (size_t k = 0; k < columns.size(); ++k)
        table.valueInto(id, size_t(columns[k]), update.before[k]);
    // Values all stored as they were change nothing, as in updateRow().
    if (std::equal(values.begin(), values.end(), update.before.begin(), update.before.end(),
                   sameStoredValue))
        return Status::ok();
    for (size_t k : checks.autoNumberSlots) {
        VELMORA_RETURN_IF_ERROR(
            checkAutoNumberKept(schema.columns[size_t(columns[k])], update.before[k], values[k]));
    }
    // A fixed-width value takes the same room whatever it holds: a row whose fixed values
    // alone change still fits as it did, and is not even read whole.
    Row row;
    if (!checks.fixedOnly) {
        table.rowInto(id, row);
        update.applyTo(row);
        VELMORA_RETURN_IF_ERROR(rules.checkRowFits(schema, row));
    }
    const uint64_t kept = keptIndexes(checks, update);
    if (allIndexesKept(schema, kept)) {
        replaceKeepingKeys(table, [&] { table.replaceValues(id, columns, values, true); });
        return Status::ok();
    }
    const Row before = table.row(id);
    if (checks.fixedOnly) {
        row = before;
        update.applyTo(row);
    }
    // The values alone, as above: the row stays one changed in them only.
    return replaceChangingKeys(table, id, before, row, kept, rules,
                               [&] { table.replaceValues(id, columns, values, false); });
}

std::vector<uint8_t> columnsReadByUpdate(const TableSchema& schema,
                                         const std::vector<int>& columns) {
    std::vector<uint8_t> read(schema.columns.size(), 0);
    for (const int c : columns) {
        if (!schema.columns[size_t(c)].isFixed())
            return {};
        read[size_t(c)] = 1;
    }
    for (const RealIndex& index : schema.realIndexes) {
        for (const IndexColumn& ic : index.columns) {
            const auto pos = positionOf(schema, ic.columnNumber);
            if (!pos || read[*pos] != 0)
                return {};
        }
    }
    // As checksFor() asks them.
    for (size_t i = 0; i < schema.columns.size(); ++i)
        read[i] |= uint8_t(nullRefusedAsRequired(schema.columns[i]));
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesNulls(schema, ix))
            continue;
        for (const IndexColumn& ic : schema.realIndexes[ix].columns) {
            if (const auto pos = positionOf(schema, ic.columnNumber))
                read[*pos] |= uint8_t(nullRefusedAsKey(schema.columns[*pos]));
        }
    }
    return read;
}

Status deleteRow(Table& table, RowId id) {
    if (!table.isLive(id))
        return jetError(err::kNoCurrentRecord);
    std::shared_ptr<KeyCache>& slot = table.keyCache();
    bool cacheValid = slot && slot->owner == &table && slot->changeCount == table.changeCount();
    if (cacheValid)
        forgetKeys(table, id, table.row(id), *slot->rules, *slot);
    table.erase(id);
    if (cacheValid)
        slot->changeCount = table.changeCount();
    return Status::ok();
}

Status checkNewIndex(const Table& table, const RealIndex& index, bool primary,
                     const RowRules& rules) {
    const TableSchema& schema = table.schema();
    bool refuseNulls = primary || index.isRequired();
    bool unique = primary || index.isUnique();
    KeyedIds seen;
    KeyBytes key;
    Status failure;
    table.forEachLive([&](RowId id, const Row& row) {
        if (!failure.isOk())
            return;
        if (refuseNulls) {
            for (const IndexColumn& ic : index.columns) {
                auto pos = positionOf(schema, ic.columnNumber);
                if (!pos) {
                    failure = jetError(err::kItemNotFound);
                    return;
                }
                if (isNull(row[*pos])) {
                    failure = jetError(err::kPrimaryKeyNull);
                    return;
                }
            }
        }
        if (!unique || allNull(schema, index, row))
            return;
        key.clear();
        failure = rules.appendKey(key, schema, index, row);
        if (!failure.isOk())
            return;
        if (!seen.find(bytesOf(key)).empty())
            failure = duplicateError(schema);
        else
            seen.insert(bytesOf(key), id);
    });
    return failure;
}

}  // namespace velmora::engine::store
