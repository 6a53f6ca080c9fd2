// One data row of the channel list as the favourite commands read it: the cells that name
// the channel and its assignment, and the pieces of SQL that find them again.
//
// Every statement is built here. Text cells are quoted with inner quotes doubled, number
// cells go in bare only when they are numbers; a row whose SID, NID or FREQUENCY cell is not
// a number gets no statement at all, so a stray cell can never become SQL. An empty FREQUENCY
// is a Null one and is found as "FREQUENCY Is Null". For ordinary
// values the text is exactly the one the receiver's own tools have always sent.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::favourites {

// The fields a command reads and changes when it stores a channel's number.
inline constexpr char kChannelNumberSelect[] =
    "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS";
// The fields of a channel's assignment in FAVOURITE.
inline constexpr char kAssignmentSelect[] =
    "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE";
// The fields the save reads and changes: the number and the name.
inline constexpr char kChannelSaveSelect[] =
    "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS";

struct ChannelRow {
    std::string num;        // Num
    std::string source;     // Source (SOURCEID)
    std::string name;       // NAME
    std::string favorite;   // FAVORITE, "ZZZZ" for none
    std::string fnum;       // FNum, "ZZZ" for none
    std::string sid;        // SID, bare number
    std::string nid;        // NID, bare number
    std::string frequency;  // FREQUENCY, bare number; empty for Null
    // The group the row was loaded with as FAVOURITE stores it (the grid's row data); empty
    // for a row loaded without a group and for a row an add-mode drop added.
    std::string loadedGroup;

    // The cells of grid row `row`; std::nullopt when SID or NID is not a number, or FREQUENCY
    // neither a number nor empty (Null).
    static std::optional<ChannelRow> read(const grid::GridModel& grid, int row);

    // "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = '…' AND
    // FAVNAME = '…' AND SID = … AND NID = …": the row's assignment to its own group.
    std::string assignmentInGroupSql() const;
    // The same in the group the row was loaded with.
    std::string assignmentInLoadedGroupSql() const;
    // The same without the group: every assignment of the channel.
    std::string assignmentsSql() const;
    // "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE …": the
    // channel row behind the grid row, for storing its number and name.
    std::string channelForSaveSql() const;
    // "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE …": the same row,
    // for deleting it.
    std::string channelForDeleteSql() const;

private:
    // `select` followed by the WHERE condition that finds this row's channel.
    std::string channelSql(std::string_view select) const;
    // The FAVOURITE statement of the channel, in `group` when there is one.
    std::string assignmentSql(const std::string* group) const;
    // Appends " AND SID = … AND NID = …", the channel's ids every statement names.
    void appendChannelIds(std::string& sql) const;
};

// True when the text reads as a decimal number (blanks around it allowed).
bool isNumberText(const std::string& text);

}  // namespace velmora::core::favourites
