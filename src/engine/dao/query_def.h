// A temporary query definition (DAO's CreateQueryDef with no name): a statement parsed once
// and run as often as wanted, each time with the values its declared parameters hold then.
//
//   QueryDef q = db.createQueryDef(
//       "PARAMETERS pSid Double; SELECT CHANNELNUM FROM CHANNELS WHERE SID = pSid");
//   q.setParameter("pSid", store::Value(int64_t(28006)));
//   Recordset rs = q.openRecordset(RecordsetType::Dynaset);
//
// Running it means exactly what running its text with the values written in as literals would
// mean; only the parsing is done once. Unguarded members throw DaoError: 3265 for a name that
// is no declared parameter, 3421 for a value its type does not take, 3061 when a parameter has
// no value yet, and whatever running the statement gives.
#pragma once

#include <memory>
#include <string_view>

#include "engine/dao/recordset.h"
#include "engine/store/value.h"

namespace velmora::engine::sql {
class PreparedStatement;
}

namespace velmora::engine::dao {

struct DatabaseCore;

class QueryDef {
public:
    QueryDef(std::shared_ptr<DatabaseCore> core, std::unique_ptr<sql::PreparedStatement> statement);
    QueryDef(QueryDef&&) noexcept;
    QueryDef& operator=(QueryDef&&) noexcept;
    ~QueryDef();

    int parameterCount() const;
    // The value stays until it is set again.
    void setParameter(std::string_view name, const store::Value& value);

    // A SELECT's rows; a Default type opens a dynaset, Table is 3001.
    Recordset openRecordset(RecordsetType type = RecordsetType::Default,
                            int options = recordset_option::kNone,
                            LockType locking = LockType::Default);
    // DELETE, UPDATE, INSERT INTO, SELECT ... INTO (3065 for a plain SELECT).
    void execute();

private:
    std::shared_ptr<DatabaseCore> m_core;
    // Shared with the record sets it opens, which run it again on requery.
    std::shared_ptr<sql::PreparedStatement> m_statement;
};

}  // namespace velmora::engine::dao
