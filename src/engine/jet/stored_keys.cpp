#include "engine/jet/stored_keys.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/base/error_codes.h"
#include "engine/jet/index_key.h"

namespace velmora::engine::jet {
namespace {

// The name a user knows an index by: its first logical index.
std::string indexName(const store::TableSchema& schema, size_t realIndex) {
    for (const store::LogicalIndex& li : schema.logicalIndexes) {
        if (li.realIndex == realIndex)
            return li.name;
    }
    return "#" + std::to_string(realIndex);
}

}  // namespace

Status checkStoredKeys(JetStorage& storage, const std::string& table,
                       const UnchangedRowKeys* unchanged,
                       std::vector<std::vector<uint32_t>>* treePages) {
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, storage.tableDefinition(table));
    const store::TableSchema& schema = def.schema;
    if (schema.realIndexes.empty() || storage.keysMatchOurs(schema.tdefPage))
        return Status::ok();
    const KeyFormat format = storage.format().isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
    std::vector<size_t> checked;
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (checkIndexEncodable(schema, schema.realIndexes[ix], format).isOk())
            checked.push_back(ix);
    }
    if (checked.empty())
        return Status::ok();

    // The entries each index holds, and their positions ordered by the row they point at, so
    // that every stored row finds its entries as it is read and its keys are compared at once
    // instead of being kept. A tree that cannot be read is reported in index order after the
    // rows, as the rows are read first.
    struct Checked {
        Status readFailure;
        std::vector<IndexEntry> entries;
        // Each entry as its row pointer above its position in entries, sorted: by row, then
        // in tree order.
        std::vector<uint64_t> byRow;
        size_t firstMismatch = SIZE_MAX;
    };
    std::vector<Checked> stored(schema.realIndexes.size());
    if (treePages != nullptr)
        treePages->assign(schema.realIndexes.size(), {});
    for (size_t ix : checked) {
        Checked& c = stored[ix];
        Result<std::vector<IndexEntry>> entries = storage.indexLeafEntries(
            schema.realIndexes[ix], treePages != nullptr ? &(*treePages)[ix] : nullptr);
        if (!entries.isOk()) {
            c.readFailure = entries.status();
            continue;
        }
        c.entries = std::move(entries).value();
        c.byRow.reserve(c.entries.size());
        for (size_t i = 0; i < c.entries.size(); ++i) {
            const IndexEntry& e = c.entries[i];
            c.byRow.push_back(uint64_t(RowPointer{e.dataPage, e.dataRow}.toU32()) << 32 | i);
        }
        std::sort(c.byRow.begin(), c.byRow.end());
    }

    // Only the key columns are decoded: the rest of a row plays no part in its keys.
    TableDefinition keyColumns = def;
    std::vector<store::ColumnDef>& columns = keyColumns.schema.columns;
    columns.erase(
        std::remove_if(columns.begin(), columns.end(),
                       [&](const store::ColumnDef& column) {
                           return std::none_of(checked.begin(), checked.end(), [&](size_t ix) {
                               const auto& keyed = schema.realIndexes[ix].columns;
                               return std::any_of(keyed.begin(), keyed.end(),
                                                  [&](const store::IndexColumn& ic) {
                                                      return ic.columnNumber == column.number;
                                                  });
                           });
                       }),
        columns.end());
    // The first entry of index ix for the row at slot `at`, if it has any.
    auto entriesOf = [&](size_t ix, uint32_t at) {
        const std::vector<uint64_t>& byRow = stored[ix].byRow;
        auto first = std::lower_bound(byRow.begin(), byRow.end(), uint64_t(at) << 32);
        return first != byRow.end() && *first >> 32 == at ? first : byRow.end();
    };
    // Those entries against the row's key.
    auto compare = [&](size_t ix, std::vector<uint64_t>::const_iterator first, uint32_t at,
                       std::span<const uint8_t> key) {
        Checked& c = stored[ix];
        for (auto i = first; i != c.byRow.end() && *i >> 32 == at; ++i) {
            const auto position = size_t(*i & 0xFFFFFFFF);
            if (!std::ranges::equal(c.entries[position].key, key))
                c.firstMismatch = std::min(c.firstMismatch, position);
        }
    };
    if (unchanged != nullptr) {
        for (size_t r = 0; r < unchanged->slots.size(); ++r) {
            const uint32_t at = unchanged->slots[r];
            for (size_t ix : checked)
                compare(ix, entriesOf(ix, at), at, unchanged->keys[ix][r]);
        }
    }
    // The other stored rows are read back, unless there are none.
    if (unchanged == nullptr || !unchanged->everyStoredRow) {
        std::vector<uint32_t> passOver;
        if (unchanged != nullptr) {
            passOver = unchanged->slots;
            std::sort(passOver.begin(), passOver.end());
        }
        KeyBytes key;
        VELMORA_RETURN_IF_ERROR(storage.scanRows(
            keyColumns,
            [&](store::Row&& row, const RowLocation& where) {
                const uint32_t at = where.slot.toU32();
                for (size_t ix : checked) {
                    const auto first = entriesOf(ix, at);
                    if (first == stored[ix].byRow.end())
                        continue;
                    // A row whose key cannot be built is left to the writer, which refuses it.
                    key.clear();
                    if (appendIndexKey(key, keyColumns.schema, schema.realIndexes[ix], row, format)
                            .isOk())
                        compare(ix, first, at, key);
                }
                return Status::ok();
            },
            passOver));
    }
    for (size_t ix : checked) {
        const Checked& c = stored[ix];
        VELMORA_RETURN_IF_ERROR(c.readFailure);
        // A row missing for an entry is damage the structural check reports, or a row whose
        // key cannot be built: neither is a key question.
        if (c.firstMismatch == SIZE_MAX)
            continue;
        const IndexEntry& e = c.entries[c.firstMismatch];
        return Status::error(
            err::kOperationNotSupported,
            "table '" + table + "': index '" + indexName(schema, ix) +
                "' holds an entry written by Access that differs from the key built here "
                "for the same row (page " +
                std::to_string(e.dataPage) + ", row " + std::to_string(e.dataRow) +
                "); rebuilding the index would replace it, so the table is left as it is");
    }
    storage.noteKeysMatchOurs(schema.tdefPage);
    return Status::ok();
}

}  // namespace velmora::engine::jet
