// "Put Select in group...": the group picker List4 over the channel list, and writing the
// chosen group into the group column of every selected row. Only the grid changes (and
// FavDirty); "Save Fav. Channels" stores the assignments later.
//
// The picker lists the groups the channel list read (without the "ZZZZ" entry of the grid's
// own group list). A click or a keyboard move of its selection, or Enter, applies the
// selected group and closes it; Escape closes it with nothing changed. Either way the focus
// goes back to the "Put Select in group..." button. While the picker was not opened by the
// command (its mode is not PutSelectInGroup), its keys and clicks only hide it.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

inline constexpr char kPutSelectButton[] = "Command10";
inline constexpr char kGroupPicker[] = "List4";

// Installs the button Command10 and the picker's Click and KeyDown handlers.
void installPutSelectInGroup(app::App& app);

// Opens the picker at 3000/2000 twips, 2000 × 2200, without a selection, with the focus.
void PutSelectInGroup(app::App& app);

void groupPickerClick(app::App& app);
void groupPickerKeyDown(app::App& app, int keyCode);

// Writes the picker's selected group into column 5 of each selected row; a row without a
// position ("ZZZ") takes its channel number as position. Without a selected item nothing
// changes and FavDirty stays as it was.
void applyGroupToSelection(app::App& app);

}  // namespace velmora::core::favourites
