#include "engine/jet/stored_keys.h"

#include <map>

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
    if (schema.realIndexes.empty())
        return Status::ok();
    VELMORA_ASSIGN_OR_RETURN(TableRows rows, storage.tableRows(table));
    std::map<uint32_t, size_t> rowAt;
    for (size_t i = 0; i < rows.locations.size(); ++i)
        rowAt[rows.locations[i].slot.toU32()] = i;
    const KeyFormat format = storage.format().isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        const store::RealIndex& index = schema.realIndexes[ix];
        if (!checkIndexEncodable(schema, index, format).isOk())
            continue;
        VELMORA_ASSIGN_OR_RETURN(std::vector<IndexEntry> entries, storage.indexLeafEntries(index));
        for (const IndexEntry& e : entries) {
            auto row = rowAt.find(RowPointer{e.dataPage, e.dataRow}.toU32());
            if (row == rowAt.end())
                continue;  // damage the structural check reports; not a key question
            Result<KeyBytes> ours = encodeIndexKey(schema, index, rows.rows[row->second], format);
            if (!ours.isOk() || *ours == e.key)
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
    return Status::ok();
}

}  // namespace velmora::engine::jet
