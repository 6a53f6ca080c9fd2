// The channel list, the program's home view: every CHANNELS row joined with its favourite
// assignments, narrowed by the four filter boxes, with the pick lists the grid editors and
// the favourite commands use. LoadChannelList builds it; the filter boxes reload it and keep
// at least one box of each pair ticked; UndoFilterClick puts a box back when the save
// question was cancelled.
//
// A box set from code raises its click at once; PendingFilterClick (not 0) makes those
// clicks do nothing, and remembers which boxes the last click changed until a reload has
// confirmed it.
#pragma once

#include <string>

#include "core/app/main_window_controls.h"
#include "core/views/channel_list_statement.h"

namespace velmora::engine::dao {
class Field;
}

namespace velmora::core::app {
class App;
}

namespace velmora::core::views {

using app::control::kCheckEncrypted;
using app::control::kCheckNotEncrypted;
using app::control::kCheckRadio;
using app::control::kCheckTv;

// Grid columns of the channel list (field k of the statement is column k + 1).
namespace channel_col {
inline constexpr int kNum = 1;
inline constexpr int kSource = 2;
inline constexpr int kProvider = 3;
inline constexpr int kName = 4;
inline constexpr int kFavorite = 5;
inline constexpr int kFNum = 6;
inline constexpr int kVideoId = 7;
inline constexpr int kEcm = 8;
inline constexpr int kSid = 9;
inline constexpr int kNid = 10;
inline constexpr int kFrequency = 11;
}  // namespace channel_col

// Marks of a row without a group: "ZZZZ" in FAVORITE (and the last entry of List2), "ZZZ"
// in FNum. They sort after every real name.
inline constexpr char kNoGroup[] = "ZZZZ";
inline constexpr char kNoPosition[] = "ZZZ";

// A field's text as the list's cell shows it: Field::text() without blanks at either end.
// Commands that find the list's rows among the stored ones compare with this.
std::string shownText(const engine::dao::Field& field);

// Installs LoadChannelList as command::kLoadChannelList, the Click handlers of
// "Show/Edit Channels" (Command3) and the four filter boxes, and registers the view (its
// Delete runs Delete Selection, which must be installed before).
void installChannelList(app::App& app);

void LoadChannelList(app::App& app);

// Whether the grid shows the channel list now: the current view is one that shows its
// controls (view_description.h), whatever its name. The commands that work on its columns
// (Put Select in group..., ReNumber, the drops of the drag and drop window) do nothing
// elsewhere.
bool channelListShown(const app::App& app);
void UndoFilterClick(app::App& app);
// The Click handler of one filter box (kCheckTv ...).
void filterClick(app::App& app, const std::string& box);

// The filter as the four boxes show it now.
ChannelFilter currentFilter(const app::App& app);

// The view-dependent controls: the filter boxes shown and the five channel-list buttons
// enabled in the channel list, hidden and disabled in every other view.
void showChannelListControls(app::App& app, bool channelList);

}  // namespace velmora::core::views
