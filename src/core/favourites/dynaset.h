// The one way the favourites commands open a statement's rows for changing: an inconsistent,
// optimistically locked dynaset over the App's channel database.
#pragma once

#include <string>

#include "core/app/app.h"
#include "engine/dao/recordset.h"

namespace velmora::core::favourites {

inline engine::dao::Recordset openDynaset(app::App& app, const std::string& sql) {
    return app.db().openRecordset(sql, engine::dao::RecordsetType::Dynaset,
                                  engine::dao::recordset_option::kInconsistent,
                                  engine::dao::LockType::Optimistic);
}

}  // namespace velmora::core::favourites
