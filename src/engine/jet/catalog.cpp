// Reading catalog entries out of MSysObjects; see catalog.h.
#include "engine/jet/catalog.h"

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

int64_t intOf(const store::Value& v) {
    if (auto* i = std::get_if<int64_t>(&v))
        return *i;
    return 0;
}

}  // namespace

Result<std::vector<CatalogEntry>> catalogFromTable(const store::Table& t) {
    const auto& s = t.schema();
    auto id = s.findColumn("Id");
    auto parent = s.findColumn("ParentId");
    auto name = s.findColumn("Name");
    auto type = s.findColumn("Type");
    auto flags = s.findColumn("Flags");
    if (!id || !parent || !name || !type || !flags)
        return Status::error(err::kNotADatabase,
                             "page 2: the system catalog lacks one of the columns Id, ParentId, "
                             "Name, Type, Flags");
    std::vector<CatalogEntry> out;
    t.forEachLive([&](store::RowId, const store::Row& row) {
        CatalogEntry e;
        e.id = int32_t(intOf(row[*id]));
        e.parentId = int32_t(intOf(row[*parent]));
        if (auto* n = std::get_if<std::string>(&row[*name]))
            e.name = *n;
        e.type = int(int16_t(intOf(row[*type])));
        e.flags = uint32_t(intOf(row[*flags]));
        out.push_back(std::move(e));
    });
    return out;
}

}  // namespace velmora::engine::jet
