// The fixed statement texts of the channel tables, in one place, exactly as the commands send
// them. The channel list appends its filter pieces to kChannelListBase in a fixed order
// (see views/channel_list_statement.h); other commands join their own pieces with the
// literals of sql_literal.h.
#pragma once

#include <string_view>

namespace velmora::core::db {

// Every CHANNELS row with its favourite assignments (a channel in three groups gives three
// rows, one without any gives one row with Null group and position). No ORDER BY: the grid
// sorts. The missing blank after "FNum," is how the statement has always been sent.
inline constexpr std::string_view kChannelListBase =
    "SELECT CHANNELS.CHANNELNUM AS Num, CHANNELS.SOURCEID AS Source, CHANNELS.PROVIDERID AS "
    "Provider, CHANNELS.NAME, FAVOURITE.FAVNAME AS FAVORITE, FAVOURITE.NUM AS "
    "FNum,CHANNELS.VIDEOID, CHANNELS.ECM, CHANNELS.SID, CHANNELS.NID, CHANNELS.FREQUENCY FROM "
    "CHANNELS LEFT JOIN FAVOURITE ON (CHANNELS.SID = FAVOURITE.SID) AND (CHANNELS.NID = "
    "FAVOURITE.NID) AND (CHANNELS.SOURCEID = FAVOURITE.SOURCEID)";

// Filter conditions on the marker columns: VIDEOID 0 is radio, ECM 0 is free.
inline constexpr std::string_view kTvOnly = "CHANNELS.VIDEOID <> 0";
inline constexpr std::string_view kRadioOnly = "CHANNELS.VIDEOID = 0";
inline constexpr std::string_view kEncryptedOnly = "CHANNELS.ECM <> 0";
inline constexpr std::string_view kFreeOnly = "CHANNELS.ECM = 0";

// The favourite groups, in stored order; the pick lists use the first column.
inline constexpr std::string_view kSelectFavName = "SELECT * FROM FAVNAME";

}  // namespace velmora::core::db
