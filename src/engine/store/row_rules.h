// What the storage format decides about rows, as the store's checks ask it: index keys, text
// capacity and row size. The Jet file format answers with real Jet keys (jet/index_key.h);
// tables that live only in memory with keys of the same equality.
#pragma once

#include <cstdint>

#include "engine/base/status.h"
#include "engine/store/general_sort_order.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::store {

// What the storage format decides about rows: index keys, text capacity, row size.
class RowRules {
public:
    virtual ~RowRules() = default;

    // The key of `row` (values in schema.columns order) in `index`; equal keys are duplicates.
    virtual Result<KeyBytes> encode(const TableSchema& schema, const RealIndex& index,
                                    const Row& row) const = 0;
    // The same key appended to `out`, for a caller that builds many keys in one buffer; after
    // a failure `out` may hold part of a key.
    virtual Status appendKey(KeyBytes& out, const TableSchema& schema, const RealIndex& index,
                             const Row& row) const {
        VELMORA_ASSIGN_OR_RETURN(KeyBytes key, encode(schema, index, row));
        out.insert(out.end(), key.begin(), key.end());
        return Status::ok();
    }
    // Characters a Text column holds (Jet 4 stores two bytes per character).
    virtual uint16_t maxTextChars(const ColumnDef& column) const { return column.maxChars(true); }
    // 3047 when the row cannot be stored (too large for a page).
    virtual Status checkRowFits(const TableSchema&, const Row&) const { return Status::ok(); }
};

// Rules for tables kept only in memory: keys with the same equality as Jet's General order.
const RowRules& memoryRowRules();

}  // namespace velmora::engine::store
