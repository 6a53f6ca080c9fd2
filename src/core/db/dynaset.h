// The one way the commands open a statement's rows for changing: an inconsistent,
// optimistically locked dynaset, as every writing command of the program opens its rows.
#pragma once

#include <string_view>

#include "engine/dao/database.h"
#include "engine/dao/query_def.h"
#include "engine/dao/recordset.h"

namespace velmora::core::db {

inline engine::dao::Recordset openDynaset(engine::dao::Database& db, std::string_view sql) {
    return db.openRecordset(sql, engine::dao::RecordsetType::Dynaset,
                            engine::dao::recordset_option::kInconsistent,
                            engine::dao::LockType::Optimistic);
}

// The same for a statement parsed once and run with the parameters it holds now.
inline engine::dao::Recordset openDynaset(engine::dao::QueryDef& query) {
    return query.openRecordset(engine::dao::RecordsetType::Dynaset,
                               engine::dao::recordset_option::kInconsistent,
                               engine::dao::LockType::Optimistic);
}

}  // namespace velmora::core::db
