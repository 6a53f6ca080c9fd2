#include "core/db/table_names.h"

#include "core/db/sql_literal.h"
#include "engine/dao/database.h"

namespace velmora::core::db {

bool isEngineTableName(std::string_view name) {
    return containsNoCase(name, "MSys");
}

std::vector<std::string> userTableNames(engine::dao::Database& database) {
    std::vector<std::string> names;
    engine::dao::TableDefs defs = database.tableDefs();
    const int count = defs.count();
    for (int i = 0; i < count; ++i) {
        std::string name = defs.item(i).name();
        if (!isEngineTableName(name)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

}  // namespace velmora::core::db
