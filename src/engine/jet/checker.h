// A structural check of a Jet file, like an integrity check:
//   - every page is used by exactly one owner (a table definition, a table's data, a long
//     value, an index, usage maps) or is free in the global map;
//   - row slots lie inside their page and do not overlap; free-space fields are right;
//   - long-value chains are intact;
//   - every index's entries are sorted, as many as the rows that must be indexed, and each
//     equals the encoded key of the row it points to; leaf and sibling links are consistent.
// Problems make the check fail. Notes describe what is odd but harmless and is found in files
// Access wrote itself (pages neither used nor marked free, keys we cannot encode, a table
// definition whose row count differs from the rows found).
#pragma once

#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/jet/jet_storage.h"

namespace velmora::engine::jet {

struct CheckReport {
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    size_t pagesChecked = 0;
    size_t rowsChecked = 0;
    size_t indexEntriesChecked = 0;

    bool ok() const { return problems.empty(); }
};

// Fails only when the file cannot be read at all; everything else is in the report.
Result<CheckReport> checkDatabase(JetStorage& db);

}  // namespace velmora::engine::jet
