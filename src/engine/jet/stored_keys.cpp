#include "engine/jet/stored_keys.h"

#include <unordered_map>
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

Status checkStoredKeys(JetStorage& storage, const std::string& table) {
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
    // Our key of every stored row for each index, by the slot index entries point at; the
    // rows themselves are not kept.
    std::vector<std::unordered_map<uint32_t, KeyBytes>> ours(schema.realIndexes.size());
    for (size_t ix : checked)
        ours[ix].reserve(def.rowCount < 1'000'000 ? def.rowCount : 0);
    VELMORA_RETURN_IF_ERROR(storage.scanRows(def, [&](store::Row&& row, const RowLocation& where) {
        for (size_t ix : checked) {
            Result<KeyBytes> key = encodeIndexKey(schema, schema.realIndexes[ix], row, format);
            if (key.isOk())
                ours[ix].emplace(where.slot.toU32(), std::move(key).value());
        }
        return Status::ok();
    }));
    for (size_t ix : checked) {
        const store::RealIndex& index = schema.realIndexes[ix];
        VELMORA_ASSIGN_OR_RETURN(std::vector<IndexEntry> entries, storage.indexLeafEntries(index));
        for (const IndexEntry& e : entries) {
            // A row missing here is damage the structural check reports, or a row whose key
            // cannot be built: neither is a key question.
            auto key = ours[ix].find(RowPointer{e.dataPage, e.dataRow}.toU32());
            if (key == ours[ix].end() || key->second == e.key)
                continue;
            return Status::error(
                err::kOperationNotSupported,
                "table '" + table + "': index '" + indexName(schema, ix) +
                    "' holds an entry written by Access that differs from the key built here "
                    "for the same row (page " +
                    std::to_string(e.dataPage) + ", row " + std::to_string(e.dataRow) +
                    "); rebuilding the index would replace it, so the table is left as it is");
        }
    }
    storage.noteKeysMatchOurs(schema.tdefPage);
    return Status::ok();
}

}  // namespace velmora::engine::jet
