#include "core/favourites/channel_finder.h"

#include "core/db/sql_literal.h"
#include "core/grid/grid_model.h"
#include "core/views/channel_list.h"

namespace velmora::core::favourites {

namespace {

namespace col = views::channel_col;
using engine::dao::Recordset;
using engine::store::Value;

// Numbers are compared by value, as the bare numbers of the text statement are: declared as
// Double, a SID of 1.5 finds no row rather than the row of 2.
std::string channelQuery(std::string_view select, bool withFrequency) {
    std::string sql = "PARAMETERS pSource Text, pSid Double, pNid Double";
    sql += withFrequency ? ", pFrequency Double; " : "; ";
    sql += select;
    sql += " WHERE SOURCEID = pSource AND SID = pSid AND NID = pNid AND FREQUENCY ";
    sql += withFrequency ? "= pFrequency" : "Is Null";
    return sql;
}

std::string assignmentQuery() {
    std::string sql = "PARAMETERS pSource Text, pGroup Text, pSid Double, pNid Double; ";
    sql += kAssignmentSelect;
    sql += " WHERE SOURCEID = pSource AND FAVNAME = pGroup AND SID = pSid AND NID = pNid";
    return sql;
}

}  // namespace

ChannelFinder::ChannelFinder(engine::dao::Database& db, std::string_view select)
    : m_withFrequency(db.createQueryDef(channelQuery(select, true))),
      m_withoutFrequency(db.createQueryDef(channelQuery(select, false))) {}

bool ChannelFinder::canFind(const grid::GridModel& grid, int row) {
    return keyOf(grid, row).has_value();
}

std::optional<ChannelFinder::RowKey> ChannelFinder::keyOf(const grid::GridModel& grid, int row) {
    auto sid = db::bareNumber(grid.textMatrix(row, col::kSid));
    auto nid = db::bareNumber(grid.textMatrix(row, col::kNid));
    const std::string_view frequencyCell = grid.textMatrix(row, col::kFrequency);
    const bool nullFrequency = db::trimBlanks(frequencyCell).empty();
    auto frequency = nullFrequency ? std::nullopt : db::bareNumber(frequencyCell);
    if (!sid || !nid || (!nullFrequency && !frequency))
        return std::nullopt;
    return RowKey{std::move(*sid), std::move(*nid), std::move(frequency)};
}

Recordset* ChannelFinder::openChannel(const grid::GridModel& grid, int row) {
    const std::optional<RowKey> key = keyOf(grid, row);
    if (!key)
        return nullptr;
    return &open(std::string(grid.textMatrix(row, col::kSource)), key->sid, key->nid,
                 key->frequency);
}

Recordset& ChannelFinder::openChannel(const ChannelRow& row) {
    return open(row.source, row.sid, row.nid,
                row.frequency.empty() ? std::nullopt : std::optional(row.frequency));
}

Recordset& ChannelFinder::open(const std::string& source, const std::string& sid,
                               const std::string& nid,
                               const std::optional<std::string>& frequency) {
    db::RequeriedDynaset& rows = frequency ? m_withFrequency : m_withoutFrequency;
    engine::dao::QueryDef& query = rows.query();
    query.setParameter("pSource", Value(source));
    query.setParameter("pSid", Value(sid));
    query.setParameter("pNid", Value(nid));
    if (frequency)
        query.setParameter("pFrequency", Value(*frequency));
    return rows.open();
}

AssignmentFinder::AssignmentFinder(engine::dao::Database& db)
    : m_query(db.createQueryDef(assignmentQuery())) {}

Recordset& AssignmentFinder::openAssignment(const ChannelRow& row, const std::string& group) {
    engine::dao::QueryDef& query = m_query.query();
    query.setParameter("pSource", Value(row.source));
    query.setParameter("pGroup", Value(group));
    query.setParameter("pSid", Value(row.sid));
    query.setParameter("pNid", Value(row.nid));
    return m_query.open();
}

}  // namespace velmora::core::favourites
