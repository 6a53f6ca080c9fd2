// "Delete empty channels" (Command4): deletes the CHANNELS rows the receiver marked
// "(empty)" after a channel scan and numbers the remaining channels 1, 2, 3, ... in the
// table's natural order. Favourite assignments are left as they are.
//
// The command is one change of the file: should any step fail (the delete, or a number the
// CHANNELNUM column cannot hold), it is abandoned with "Error " and the engine's number and
// the file keeps every row and number it had. More than 32 767 channels left are refused
// before anything is deleted (channel_number_limit.h). An empty table (before or after the
// delete) simply has nothing to number.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

inline constexpr char kDeleteEmptyStatement[] =
    "DELETE * From CHANNELS WHERE (((CHANNELS.NAME)='(empty)'))";

// The rows the delete statement takes.
inline constexpr char kCountEmptyStatement[] =
    "SELECT Count(*) FROM CHANNELS WHERE (((CHANNELS.NAME)='(empty)'))";

void DeleteEmptyChannels(app::App& app);

// Installs DeleteEmptyChannels as command::kDeleteEmptyChannels and on Command4's Click.
void installDeleteEmptyChannels(app::App& app);

}  // namespace velmora::core::maintenance
