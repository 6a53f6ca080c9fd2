// Compacting: a packed copy of a database in a new file.
//
// The copy has the same format, code page, sort order and header (page 0 is copied byte for
// byte: creation date, password field and the unexplained fields included) and every table
// of the source, system tables too, with every live row, long value, index, saved query
// (MSysQueries rows) and property blob (the LvProp values of MSysObjects). It has no free
// pages and no deleted or moved rows; every index is rebuilt from its rows.
//
// Tables get new definition pages, and a table's catalog Id is its definition page, so the
// Ids are renumbered where they are stored: MSysObjects.Id of table objects, MSysACEs.ObjectId
// and the related-table page of foreign-key indexes. Other objects keep their Ids.
//
// The source is only read. The destination is written under a temporary name beside it,
// synced and renamed into place; an existing destination is refused (3204).
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::engine::jet {

struct CompactReport {
    uint32_t sourcePages = 0;
    uint32_t destinationPages = 0;
    size_t tables = 0;
    size_t rows = 0;
};

// Writes the compacted copy of `source` to `destination`, in the source's version (a Jet 3
// file gives a Jet 3 copy).
Result<CompactReport> compactDatabase(io::Env& env, const std::string& source,
                                      const std::string& destination);

}  // namespace velmora::engine::jet
