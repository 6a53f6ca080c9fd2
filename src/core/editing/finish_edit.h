// Finishing an edit: the one sequence that closes whatever overlay is open and puts its value
// into the grid. It runs when the grid gets the focus, when the current cell is about to
// change (leave cell) and when the grid is about to scroll, always before anything moves, so
// the value lands in the cell that was current when the editor opened.
//
// In order: the text editor (FavDirty when the cell's trimmed text differs from the editor's;
// outside the channel list a changed value goes to the cell writer; the cell takes the
// editor's text, and in the channel list every other row of the same channel too), then
// the group list (the chosen group into the cell, FavDirty on a change, the FNum rules
// below), then the popup, and on a focus return also the group picker List4.
//
// FNum (column 6) after a group was chosen: on a focus return, a row that had a position and
// now has no group ("ZZZZ") loses its position ("ZZZ"); otherwise, and on leaving the cell or
// scrolling, a row without a position ("ZZZ") takes its channel number (column 1).
// Nothing is written to the database for the group list.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::editing {

enum class FinishOccasion { GotFocus, LeaveCell, Scroll };

void finishEdit(app::App& app, FinishOccasion occasion);

}  // namespace velmora::core::editing
