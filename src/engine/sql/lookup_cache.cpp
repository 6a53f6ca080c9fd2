#include "engine/sql/lookup_cache.h"

#include <algorithm>

#include "engine/sql/value_ops.h"
#include "engine/store/collation.h"

namespace velmora::engine::sql {

namespace {

// Whether two rows hold the same values in these columns.
bool sameValues(const store::Row& a, const store::Row& b, const std::vector<int>& columns) {
    for (int c : columns) {
        if (a[c] != b[c])
            return false;
    }
    return true;
}

// The equality key of the columns into `key`, the value of column c being valueAt(c); false
// when one of them is Null.
template <class ValueAt>
bool keyOf(std::string& key, const std::vector<int>& columns, ValueAt&& valueAt) {
    key.clear();
    for (int c : columns) {
        const store::Value& v = valueAt(c);
        if (store::isNull(v))
            return false;
        appendOrderKey(key, v);
    }
    return true;
}

bool keyInto(std::string& key, const store::Row& row, const std::vector<int>& columns) {
    return keyOf(key, columns, [&](int c) -> const store::Value& { return row[size_t(c)]; });
}

// The positions of the columns marked, for Table::forEachLiveColumns().
std::vector<uint8_t> positionsOf(const std::vector<int>& columns) {
    std::vector<uint8_t> wanted;
    for (int c : columns) {
        if (wanted.size() <= size_t(c))
            wanted.resize(size_t(c) + 1);
        wanted[size_t(c)] = 1;
    }
    return wanted;
}

}  // namespace

std::optional<std::string> rowKey(const store::Row& row, const std::vector<int>& columns) {
    std::string key;
    if (!keyInto(key, row, columns))
        return std::nullopt;
    return key;
}

std::optional<std::string> valuesKey(const std::vector<store::Value>& values) {
    std::string key;
    for (const auto& v : values) {
        if (store::isNull(v))
            return std::nullopt;
        appendOrderKey(key, v);
    }
    return key;
}

void LookupCache::build(const store::Table& table, LookupIndex& index) {
    index.ids.clear();
    // Only the looked-up columns of each row are decoded, and every key is built in one
    // buffer: the index takes a copy of its bytes.
    const size_t rows = table.liveRowCount();
    index.ids.reserve(rows);
    // The keys' bytes lie in one buffer. Grown by doubling, it would end up to twice their size,
    // and hold the old and the new bytes while it moves: once the first keys tell their length,
    // it takes room for every row's key at once, and an eighth more.
    constexpr size_t kSampleKeys = 64;
    size_t sampled = 0;
    size_t sampleBytes = 0;
    std::string key;
    table.forEachLiveColumns(
        positionsOf(index.columns), [&](store::RowId id, const store::Row& row) {
            if (!keyInto(key, row, index.columns))
                return;
            index.ids.insert(key, id);
            if (sampled < kSampleKeys) {
                sampleBytes += key.size();
                if (++sampled == kSampleKeys && rows > kSampleKeys)
                    index.ids.reserveKeyBytes(sampleBytes * rows / kSampleKeys * 9 / 8);
            }
        });
    index.changeCount = table.changeCount();
}

const LookupIndex* LookupCache::index(const store::Table& table, const std::vector<int>& columns) {
    // A command's statements ask for the same few indexes over and over: the one found last
    // moves to the front.
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        Entry& e = m_indexes[i];
        if (e.table == &table && e.index->columns == columns) {
            if (i != 0)
                std::swap(m_indexes[0], m_indexes[i]);
            Entry& front = m_indexes[0];
            if (front.index->changeCount != table.changeCount())
                build(table, *front.index);
            return front.index.get();
        }
    }
    const auto asked = std::find_if(m_askedOnce.begin(), m_askedOnce.end(), [&](const Asked& a) {
        return a.table == &table && a.columns == columns;
    });
    if (asked == m_askedOnce.end()) {
        m_askedOnce.push_back(Asked{&table, columns});
        return nullptr;
    }
    m_askedOnce.erase(asked);
    auto index = std::make_unique<LookupIndex>();
    index->columns = columns;
    build(table, *index);
    m_indexes.push_back(Entry{&table, std::move(index)});
    return m_indexes.back().index.get();
}

std::vector<store::RowId> LookupCache::find(const store::Table& table,
                                            const std::vector<int>& columns, std::string_view key) {
    if (const LookupIndex* kept = index(table, columns)) {
        const std::span<const store::RowId> ids = kept->find(key);
        return {ids.begin(), ids.end()};
    }
    // The keys are built as build() builds them, so the scan finds what the index would. A
    // text looked up in one column tells most rows apart by their first letters, before their
    // keys are built.
    const std::optional<std::string> text = columns.size() == 1 ? textSortKeyOf(key) : std::nullopt;
    std::vector<store::RowId> ids;
    std::string rowKey;
    table.forEachLiveColumns(positionsOf(columns), [&](store::RowId id, const store::Row& row) {
        if (text) {
            const auto* stored = std::get_if<std::string>(&row[size_t(columns[0])]);
            if (stored && !store::sortKeyMayBe(*stored, *text))
                return;
        }
        if (keyInto(rowKey, row, columns) && rowKey == key)
            ids.push_back(id);
    });
    return ids;
}

namespace {

void removeFromBucket(LookupIndex& index, const std::optional<std::string>& key, store::RowId id) {
    if (key)
        index.ids.erase(*key, id);
}

}  // namespace

void LookupCache::rowInserted(const store::Table& table, store::RowId id, uint64_t countBefore) {
    for (auto& e : m_indexes) {
        LookupIndex& index = *e.index;
        // Only an index that was current before this change can be brought up to date; any
        // other is rebuilt when next used.
        if (e.table != &table || index.changeCount != countBefore)
            continue;
        if (auto key = rowKey(table.row(id), index.columns))
            index.ids.insert(*key, id);
        index.changeCount = table.changeCount();
    }
}

void LookupCache::rowUpdated(const store::Table& table, store::RowId id, const store::Row& before,
                             const store::Row& after, uint64_t countBefore) {
    for (auto& e : m_indexes) {
        LookupIndex& index = *e.index;
        if (e.table != &table || index.changeCount != countBefore)
            continue;
        index.changeCount = table.changeCount();
        // Most updates leave the looked-up columns alone, and equal values have equal keys.
        if (sameValues(before, after, index.columns))
            continue;
        auto oldKey = rowKey(before, index.columns);
        auto newKey = rowKey(after, index.columns);
        if (oldKey != newKey) {
            removeFromBucket(index, oldKey, id);
            if (newKey)
                index.ids.insert(*newKey, id);
        }
    }
}

void LookupCache::valuesUpdated(const store::Table& table, store::RowId id,
                                const store::ValuesUpdate& update, uint64_t countBefore) {
    std::string oldKey, newKey;
    store::Value stored;
    for (auto& e : m_indexes) {
        LookupIndex& index = *e.index;
        if (e.table != &table || index.changeCount != countBefore)
            continue;
        index.changeCount = table.changeCount();
        bool touched = false;
        for (int c : index.columns)
            touched = touched || update.valueAt(size_t(c)) != nullptr;
        if (!touched)
            continue;
        // The columns not given kept their values: the table reads them as they were.
        const auto valueAt = [&](const std::vector<store::Value>& given) {
            return [&](int c) -> const store::Value& {
                const size_t k = update.slotOf(size_t(c));
                if (k < given.size())
                    return given[k];
                table.valueInto(id, size_t(c), stored);
                return stored;
            };
        };
        const bool hadKey = keyOf(oldKey, index.columns, valueAt(update.before));
        const bool hasKey = keyOf(newKey, index.columns, valueAt(update.values));
        if (hadKey == hasKey && (!hadKey || oldKey == newKey))
            continue;
        if (hadKey)
            index.ids.erase(oldKey, id);
        if (hasKey)
            index.ids.insert(newKey, id);
    }
}

void LookupCache::rowErased(const store::Table& table, store::RowId id, const store::Row& before,
                            uint64_t countBefore) {
    for (auto& e : m_indexes) {
        LookupIndex& index = *e.index;
        if (e.table != &table || index.changeCount != countBefore)
            continue;
        removeFromBucket(index, rowKey(before, index.columns), id);
        index.changeCount = table.changeCount();
    }
}

void LookupCache::forget(const store::Table& table) {
    std::erase_if(m_indexes, [&](const Entry& e) { return e.table == &table; });
    std::erase_if(m_askedOnce, [&](const Asked& a) { return a.table == &table; });
}

}  // namespace velmora::engine::sql
