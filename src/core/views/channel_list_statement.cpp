#include "core/views/channel_list_statement.h"

#include "core/db/sql_literal.h"
#include "core/db/statements.h"

namespace velmora::core::views {

namespace {

void appendCondition(std::string& sql, std::string_view condition) {
    sql += db::containsNoCase(sql, "WHERE") ? " AND " : " WHERE ";
    sql += condition;
}

}  // namespace

std::string channelListStatement(const ChannelFilter& filter) {
    std::string sql(db::kChannelListBase);
    // The TV piece always comes first, so it never needs " AND ".
    if (filter.tv && !filter.radio) {
        sql += std::string(" WHERE ") + std::string(db::kTvOnly);
    }
    if (filter.radio && !filter.tv) {
        appendCondition(sql, db::kRadioOnly);
    }
    if (filter.encrypted && !filter.notEncrypted) {
        appendCondition(sql, db::kEncryptedOnly);
    }
    if (filter.notEncrypted && !filter.encrypted) {
        appendCondition(sql, db::kFreeOnly);
    }
    return sql;
}

}  // namespace velmora::core::views
