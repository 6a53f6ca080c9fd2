#include "core/favourites/channel_row.h"

#include "core/db/sql_literal.h"
#include "core/grid/grid_model.h"
#include "core/views/channel_list.h"

namespace velmora::core::favourites {

namespace col = views::channel_col;

std::optional<ChannelRow> ChannelRow::read(const grid::GridModel& grid, int row) {
    auto sid = db::bareNumber(grid.textMatrix(row, col::kSid));
    auto nid = db::bareNumber(grid.textMatrix(row, col::kNid));
    // FREQUENCY may be Null, which the grid shows as an empty cell.
    const std::string_view frequencyCell = grid.textMatrix(row, col::kFrequency);
    auto frequency = db::trimBlanks(frequencyCell).empty() ? std::optional<std::string>("")
                                                           : db::bareNumber(frequencyCell);
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
    r.loadedGroup = grid.rowData(row);
    return r;
}

std::string ChannelRow::assignmentInGroupSql() const {
    return assignmentSql(&favorite);
}

std::string ChannelRow::assignmentInLoadedGroupSql() const {
    return assignmentSql(&loadedGroup);
}

std::string ChannelRow::assignmentsSql() const {
    return assignmentSql(nullptr);
}

// The assignment statements, built into one string reserved once; a `group` joins the
// condition.
std::string ChannelRow::assignmentSql(const std::string* group) const {
    std::string sql;
    sql.reserve(128 + source.size() + (group ? group->size() : 0) + sid.size() + nid.size());
    sql += kAssignmentSelect;
    sql += " WHERE SOURCEID = ";
    db::appendQuotedText(sql, source);
    if (group) {
        sql += " AND FAVNAME = ";
        db::appendQuotedText(sql, *group);
    }
    appendChannelIds(sql);
    return sql;
}

void ChannelRow::appendChannelIds(std::string& sql) const {
    sql += " AND SID = ";
    sql += sid;
    sql += " AND NID = ";
    sql += nid;
}

// Every channel statement is built into one string, reserved once: the maintenance commands
// build one per row of a list of tens of thousands.
std::string ChannelRow::channelSql(std::string_view select) const {
    std::string sql;
    sql.reserve(select.size() + 64 + source.size() + sid.size() + nid.size() + frequency.size());
    sql += select;
    sql += " WHERE SOURCEID = ";
    db::appendQuotedText(sql, source);
    appendChannelIds(sql);
    if (frequency.empty()) {
        sql += " AND FREQUENCY Is Null";
    } else {
        sql += " AND FREQUENCY = ";
        sql += frequency;
    }
    return sql;
}

std::string ChannelRow::channelForSaveSql() const {
    return channelSql(kChannelSaveSelect);
}

std::string ChannelRow::channelForDeleteSql() const {
    return channelSql(kChannelNumberSelect);
}

bool isNumberText(const std::string& text) {
    return db::bareNumber(text).has_value();
}

}  // namespace velmora::core::favourites
