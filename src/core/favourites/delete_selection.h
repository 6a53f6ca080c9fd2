// "Delete Selection": removes the favourite assignments of the selected channel-list rows
// from the database at once. A row whose channel has several assignments loses only the one
// to its own group; a row whose channel has exactly one loses it together with the channel's
// CHANNELS row (of that row's frequency). Each deleted row leaves the grid.
//
// The passes start at the topmost selected row. A deleted row lets the next one move up into
// its place; a row that stays (its channel has no assignment, or its channel row could not be
// deleted) is stepped over, so every selected row is visited exactly once. When a row stayed
// because its channel is in no group, the user is told why once, after the passes.
//
// A row given another group in the grid and not saved yet still stands for the assignment it
// was loaded with: that one is deleted.
//
// Refused while a drop in add mode has given a channel a further grid row (MultiFavAdded):
// the rows no longer match the assignments one to one until the list is built again.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

// Installs the command as command::kDeleteSelection and on the button Command9. The grid's
// Delete key and the row popup's Delete entry run it by name.
void installDeleteSelection(app::App& app);

void DeleteSelection(app::App& app);

enum class RowDeletion {
    Removed,  // the assignment (with the channel, when it was its last) and the grid row went
    NoGroup,  // the channel has no assignment: nothing changed
    Kept,     // the channel row could not be deleted ("ERROR" was shown); the row stays
};

// Deletes what grid row `row` stands for. A row whose SID, NID or FREQUENCY cell is not a
// number throws DaoError 3464 before any statement runs, as the lookup itself would fail.
RowDeletion deleteChannelRow(app::App& app, int row);

}  // namespace velmora::core::favourites
