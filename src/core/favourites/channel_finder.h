// Finding the CHANNELS row behind each row of the channel list, for a command that visits
// every row of a long list (ReNumber): one query definition, parsed once, takes each row's
// source, SID, NID and frequency as its parameters. It finds exactly the rows that the
// statement ChannelRow::channelForDeleteSql() builds for the same row would find: the same
// fields, the same condition, an empty frequency cell found as Null.
#pragma once

#include <optional>

#include "engine/dao/database.h"
#include "engine/dao/query_def.h"
#include "engine/dao/recordset.h"

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::favourites {

class ChannelFinder {
public:
    explicit ChannelFinder(engine::dao::Database& db);

    // CHANNELNUM, SOURCEID, SID, NID and FREQUENCY of the channel of grid row `row`, as an
    // updatable dynaset; std::nullopt when its SID, NID or FREQUENCY cell is not a number
    // (a row for which ChannelRow builds no statement). Opening throws DaoError.
    std::optional<engine::dao::Recordset> openChannel(const grid::GridModel& grid, int row);

private:
    engine::dao::QueryDef m_withFrequency;
    engine::dao::QueryDef m_withoutFrequency;
};

}  // namespace velmora::core::favourites
