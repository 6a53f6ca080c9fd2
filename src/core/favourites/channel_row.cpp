#include "core/favourites/channel_row.h"

#include "core/db/sql_literal.h"
#include "core/grid/grid_model.h"
#include "core/views/channel_list.h"

namespace velmora::core::favourites {

namespace col = views::channel_col;

std::optional<ChannelRow> ChannelRow::read(const grid::GridModel& grid, int row) {
    auto sid = db::bareNumber(grid.textMatrix(row, col::kSid));
    auto nid = db::bareNumber(grid.textMatrix(row, col::kNid));
    auto frequency = db::bareNumber(grid.textMatrix(row, col::kFrequency));
    if (!sid || !nid || !frequency) {
        return std::nullopt;
    }
    ChannelRow r;
    r.num = grid.textMatrix(row, col::kNum);
    r.source = grid.textMatrix(row, col::kSource);
    r.name = grid.textMatrix(row, col::kName);
    r.favorite = grid.textMatrix(row, col::kFavorite);
    r.fnum = grid.textMatrix(row, col::kFNum);
    r.sid = std::move(*sid);
    r.nid = std::move(*nid);
    r.frequency = std::move(*frequency);
    return r;
}

std::string ChannelRow::assignmentInGroupSql() const {
    return "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = " +
           db::quoteText(source) + " AND FAVNAME = " + db::quoteText(favorite) +
           " AND SID = " + sid + " AND NID = " + nid;
}

std::string ChannelRow::assignmentsSql() const {
    return "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = " +
           db::quoteText(source) + " AND SID = " + sid + " AND NID = " + nid;
}

std::string ChannelRow::channelCondition() const {
    return " WHERE SOURCEID = " + db::quoteText(source) + " AND SID = " + sid +
           " AND NID = " + nid + " AND FREQUENCY = " + frequency;
}

std::string ChannelRow::channelForSaveSql() const {
    return "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS" +
           channelCondition();
}

std::string ChannelRow::channelForDeleteSql() const {
    return "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS" + channelCondition();
}

bool isNumberText(const std::string& text) {
    return db::bareNumber(text).has_value();
}

}  // namespace velmora::core::favourites
