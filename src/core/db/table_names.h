// Which tables of a database the explorer lists: every table but the engine's own, which are
// recognised by "MSys" anywhere in the name, in any letter case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::engine::dao {
class Database;
}

namespace velmora::core::db {

bool isEngineTableName(std::string_view name);

// The names of the database's table definitions, by position, without the engine's tables.
std::vector<std::string> userTableNames(engine::dao::Database& database);

}  // namespace velmora::core::db
