// The one way the commands open a statement's rows for changing: an inconsistent,
// optimistically locked dynaset, as every writing command of the program opens its rows.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

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

// A statement parsed once whose dynaset is opened once and then run again (requeried) with
// the values its parameters hold each time, for a command that looks up one row per grid row:
// the set, its column list and its rows' storage serve every look-up.
class RequeriedDynaset {
public:
    explicit RequeriedDynaset(engine::dao::QueryDef query) : m_query(std::move(query)) {}

    engine::dao::QueryDef& query() { return m_query; }
    // The rows for the parameters' values now; valid until the next open(). A set its user
    // closed is opened anew.
    engine::dao::Recordset& open() {
        if (m_rows && m_rows->isOpen())
            m_rows->requery();
        else
            m_rows.emplace(openDynaset(m_query));
        return *m_rows;
    }

private:
    engine::dao::QueryDef m_query;
    std::optional<engine::dao::Recordset> m_rows;
};

}  // namespace velmora::core::db
