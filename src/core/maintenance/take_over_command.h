// "Take over from..." (Command16 in the special functions frame, Ctrl+T): after a channel
// scan, gives the channels of the open database back the numbers, favourite groups and
// positions (and, when ticked, the names) they have in another file, usually a backup from
// before the scan (core/takeover/take_over.h says what is matched and how it is numbered).
//
// The steps: the save question while the channel list holds unsaved edits; the file dialog in
// the database's folder, with its newest backup preset and the list newest first; the window
// that shows what will happen (take_over_form.h); then one change of the file, backed up first
// as every change is, and the channel list built again from it. The open file itself, a file
// that cannot be opened and a file without one matching channel are refused with a message;
// nothing is written before OK.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

void TakeOverFrom(app::App& app);

// Installs TakeOverFrom as command::kTakeOverFrom and on Command16's Click.
void installTakeOverFrom(app::App& app);

}  // namespace velmora::core::maintenance
