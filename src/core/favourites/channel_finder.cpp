#include "core/favourites/channel_finder.h"

#include <string>

#include "core/db/sql_literal.h"
#include "core/favourites/channel_row.h"
#include "core/grid/grid_model.h"
#include "core/views/channel_list.h"

namespace velmora::core::favourites {

namespace {

namespace col = views::channel_col;
using engine::store::Value;

// Numbers are compared by value, as the bare numbers of the text statement are: declared as
// Double, a SID of 1.5 finds no row rather than the row of 2.
std::string channelQuery(bool withFrequency) {
    std::string sql = "PARAMETERS pSource Text, pSid Double, pNid Double";
    sql += withFrequency ? ", pFrequency Double; " : "; ";
    sql += kChannelNumberSelect;
    sql += " WHERE SOURCEID = pSource AND SID = pSid AND NID = pNid AND FREQUENCY ";
    sql += withFrequency ? "= pFrequency" : "Is Null";
    return sql;
}

}  // namespace

ChannelFinder::ChannelFinder(engine::dao::Database& db)
    : m_withFrequency(db.createQueryDef(channelQuery(true))),
      m_withoutFrequency(db.createQueryDef(channelQuery(false))) {}

std::optional<engine::dao::Recordset> ChannelFinder::openChannel(const grid::GridModel& grid,
                                                                 int row) {
    const auto sid = db::bareNumber(grid.textMatrix(row, col::kSid));
    const auto nid = db::bareNumber(grid.textMatrix(row, col::kNid));
    const std::string_view frequencyCell = grid.textMatrix(row, col::kFrequency);
    const bool nullFrequency = db::trimBlanks(frequencyCell).empty();
    const auto frequency = nullFrequency ? std::nullopt : db::bareNumber(frequencyCell);
    if (!sid || !nid || (!nullFrequency && !frequency))
        return std::nullopt;
    engine::dao::QueryDef& query = nullFrequency ? m_withoutFrequency : m_withFrequency;
    query.setParameter("pSource", Value(std::string(grid.textMatrix(row, col::kSource))));
    query.setParameter("pSid", Value(*sid));
    query.setParameter("pNid", Value(*nid));
    if (frequency)
        query.setParameter("pFrequency", Value(*frequency));
    return query.openRecordset(engine::dao::RecordsetType::Dynaset,
                               engine::dao::recordset_option::kInconsistent,
                               engine::dao::LockType::Optimistic);
}

}  // namespace velmora::core::favourites
