// The system catalog, MSysObjects: one row per object (tables, queries, containers,
// relationships). Its table definition is always on page 2; a table's Id is the page of its
// own table definition.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/store/table.h"

namespace velmora::engine::jet {

namespace object_type {
inline constexpr int kTable = 1;
inline constexpr int kDatabase = 2;
inline constexpr int kContainer = 3;
inline constexpr int kLinkedOdbc = 4;
inline constexpr int kQuery = 5;
inline constexpr int kLinkedTable = 6;
inline constexpr int kRelationship = 8;
}  // namespace object_type

// Object flag bits that mark the engine's own objects (0x80000000) and those Access adds
// (0x00000002).
inline constexpr uint32_t kSystemObjectFlags = 0x80000002u;

struct CatalogEntry {
    int32_t id = 0;
    int32_t parentId = 0;
    std::string name;
    int type = 0;
    uint32_t flags = 0;

    bool isTable() const { return type == object_type::kTable; }
    bool isSystem() const { return (flags & kSystemObjectFlags) != 0; }
};

// The catalog entries in stored order, from the decoded MSysObjects table.
Result<std::vector<CatalogEntry>> catalogFromTable(const store::Table& msysObjects);

}  // namespace velmora::engine::jet
