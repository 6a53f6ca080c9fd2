// Index key encoding: the bytes Jet stores in index entries for a row's key columns.
//
// A key is the concatenation, over the index's columns, of one field per column: a single
// 0x00 (ascending) or 0xFF (descending) byte for Null, otherwise a start flag (0x7F or 0x80)
// followed by the value's bytes, built so that comparing keys as unsigned bytes orders rows as
// Jet orders them. Text follows the General sort order of the file's version. The same bytes
// are what a unique index compares, so the writer, the checker and the uniqueness checks all
// go through this one encoder.
#pragma once

#include <cstdint>

#include "engine/base/status.h"
#include "engine/store/constraints.h"
#include "engine/store/general_sort_order.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::jet {

using store::KeyBytes;

// Which text collation the keys use: Jet 3 writes General 97, Jet 4 General legacy.
enum class KeyFormat : uint8_t { Jet3, Jet4 };

// Appends the key field of one column value. Fails with 3251 for a column whose sort order we
// do not implement or a text our tables do not cover, and with 3421 for a value whose type
// does not fit the column.
Status appendColumnKey(KeyBytes& out, const store::ColumnDef& column, const store::Value& value,
                       bool ascending, KeyFormat format);

// The key of `row` (values in the order of schema.columns) for one real index.
Result<KeyBytes> encodeIndexKey(const store::TableSchema& schema, const store::RealIndex& index,
                                const store::Row& row, KeyFormat format);
// The same key appended to `out`, for callers that build many keys into one buffer; on a
// failure `out` holds a partial key.
Status appendIndexKey(KeyBytes& out, const store::TableSchema& schema,
                      const store::RealIndex& index, const store::Row& row, KeyFormat format);

// Whether we can build keys for this index at all (every key column exists, has an
// indexable type, and text columns use the General sort order); the reason when not.
Status checkIndexEncodable(const store::TableSchema& schema, const store::RealIndex& index,
                           KeyFormat format);

// Whether every key column of `row` is Null (such rows are left out of ignore-nulls indexes).
bool allKeyColumnsNull(const store::TableSchema& schema, const store::RealIndex& index,
                       const store::Row& row);

// The store's checks answered as a Jet file decides them: real index keys, text capacity in
// characters, and the row-size limit of a data page.
class JetRowRules : public store::RowRules {
public:
    explicit JetRowRules(KeyFormat format) : m_format(format) {}
    Result<KeyBytes> encode(const store::TableSchema& schema, const store::RealIndex& index,
                            const store::Row& row) const override {
        return encodeIndexKey(schema, index, row, m_format);
    }
    Status appendKey(KeyBytes& out, const store::TableSchema& schema, const store::RealIndex& index,
                     const store::Row& row) const override {
        return appendIndexKey(out, schema, index, row, m_format);
    }
    uint16_t maxTextChars(const store::ColumnDef& column) const override {
        return column.maxChars(m_format == KeyFormat::Jet4);
    }
    Status checkRowFits(const store::TableSchema& schema, const store::Row& row) const override;
    // The code page Jet 3 text is stored in (the file header's).
    void setCodePage(uint16_t codePage) { m_codePage = codePage; }

private:
    KeyFormat m_format;
    uint16_t m_codePage = 1252;
};

}  // namespace velmora::engine::jet
