// "ReNumber" (Command8): gives the channels of the channel list the gapless numbers 1, 2, 3,
// ... in the order the grid shows them now, and stores them in CHANNELS.
//
// It works only in the channel list, only while all four filter boxes are ticked (otherwise
// some channels would be missing from the numbering) and only while no channel is stored on
// two frequencies (its rows would compete for one number). A channel in several groups has
// one grid row per group; all of them take the number of its first row.
//
// Every channel is stored or none: when a row's record cannot be found or stored, or its key
// cells cannot form a sound statement (a SID, NID or FREQUENCY that is not a number), it
// shows "ERROR writing to database" and the file and the grid keep every old number. The
// grid is not rebuilt. More than 32 767 channels are refused before any number changes
// (channel_number_limit.h).
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

void ReNumber(app::App& app);

// Installs ReNumber as command::kReNumber and as the Click handler of Command8.
void installReNumber(app::App& app);

}  // namespace velmora::core::maintenance
