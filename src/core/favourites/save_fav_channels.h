// "Save Fav. Channels": stores the whole channel list grid. For every data row the row's
// favourite assignment is looked up by source, SID, NID and the group the row was loaded
// with, and moved to the row's group, deleted ("ZZZZ") or added; and the channel's number and
// name are written to its CHANNELS row (a name left as the grid shows it keeps the blanks it
// is stored with). A row that fails shows msgWriteError and the loop goes on; nothing done
// before is undone. Afterwards the channel numbers must run 1, 2, 3, … or the user is told.
//
// The command is one event, so the program commits its changes once, at its end.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

// Installs the command as command::kSaveFavChannels and on the button Command7.
void installSaveFavChannels(app::App& app);

void SaveFavChannels(app::App& app);

// True when the CHANNELNUM values, sorted, are exactly 1, 2, …, n (an empty table passes).
bool channelNumbersSubsequent(app::App& app);

}  // namespace velmora::core::favourites
