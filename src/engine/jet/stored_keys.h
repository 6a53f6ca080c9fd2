// The keys a file already holds must be the keys this program builds before an index is built
// again from our own keys (a table rewritten by a commit, a redesigned table, a compacted
// copy). Access writes some keys we do not reproduce; rebuilding such an index would replace
// Access's entries with ours, which Access would then not find. So the entry the file holds
// for every row is compared with the key built for that row, and a difference refuses the
// change, naming the table and the index, before anything is written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"

namespace velmora::engine::jet {

// Keys a commit has built already for rows whose index values are still the ones read from
// the file: the slot each row was read from (RowPointer::toU32) and its key in every real
// index. Such a row's key is the key of its stored row, so that row is not read again.
struct UnchangedRowKeys {
    std::vector<uint32_t> slots;
    std::vector<std::vector<std::span<const uint8_t>>> keys;  // [real index][row of slots]
    // The slots are those of every row the file holds: no other row needs to be read.
    bool everyStoredRow = false;
};

// 3251 when an index of `table` holds an entry for a row that differs from the key built for
// it. Rows whose key cannot be built at all (a sort order or character outside our tables)
// are left to the writer, which refuses them on its own. With `unchanged`, the rows it names
// take their keys from there. With `treePages`, the pages of each index tree the check read
// are left there by real index (none where it read no tree), so that a writer need not walk
// the trees again.
Status checkStoredKeys(JetStorage& storage, const std::string& table,
                       const UnchangedRowKeys* unchanged = nullptr,
                       std::vector<std::vector<uint32_t>>* treePages = nullptr);

}  // namespace velmora::engine::jet
