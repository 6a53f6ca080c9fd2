// Finding the stored rows behind each row of the channel list, for a command that visits every
// row of a long list (ReNumber, Save Fav. Channels): one query definition, parsed once, takes
// each row's values as its parameters. A finder finds exactly the rows that the statement
// ChannelRow builds for the same row would find: the same fields, the same condition, an
// empty frequency found as Null. Each query's dynaset is opened once and requeried for every
// row after, so a finder hands out one set per query, valid until it opens that query again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/db/dynaset.h"
#include "core/favourites/channel_row.h"
#include "engine/dao/database.h"
#include "engine/dao/query_def.h"
#include "engine/dao/recordset.h"

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::favourites {

// The CHANNELS row of a channel list row, with the fields of `select` ("SELECT … FROM
// CHANNELS", kChannelNumberSelect unless told).
class ChannelFinder {
public:
    explicit ChannelFinder(engine::dao::Database& db,
                           std::string_view select = kChannelNumberSelect);

    // The channel of grid row `row`, as an updatable dynaset; null when its SID, NID or
    // FREQUENCY cell is not a number (a row for which ChannelRow builds no statement).
    // Opening throws DaoError.
    engine::dao::Recordset* openChannel(const grid::GridModel& grid, int row);
    // Whether openChannel can name the channel of grid row `row` at all.
    static bool canFind(const grid::GridModel& grid, int row);
    // The channel of a row ChannelRow::read gave (its ids are numbers). Throws DaoError.
    engine::dao::Recordset& openChannel(const ChannelRow& row);

private:
    // The row's numbers as the statement takes them; std::nullopt when one is not a number.
    struct RowKey {
        std::string sid;
        std::string nid;
        std::optional<std::string> frequency;  // none: the row has no frequency
    };
    static std::optional<RowKey> keyOf(const grid::GridModel& grid, int row);

    engine::dao::Recordset& open(const std::string& source, const std::string& sid,
                                 const std::string& nid,
                                 const std::optional<std::string>& frequency);

    db::RequeriedDynaset m_withFrequency;
    db::RequeriedDynaset m_withoutFrequency;
};

// The channel's assignment to one group in FAVOURITE, with the fields of
// ChannelRow::assignmentInGroupSql().
class AssignmentFinder {
public:
    explicit AssignmentFinder(engine::dao::Database& db);

    // The assignment of the row's channel to `group`, as an updatable dynaset. Throws DaoError.
    engine::dao::Recordset& openAssignment(const ChannelRow& row, const std::string& group);

private:
    db::RequeriedDynaset m_query;
};

}  // namespace velmora::core::favourites
