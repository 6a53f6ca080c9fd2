// Keys released on the main grid and the row commands the popup List3 offers.
//
// Ctrl+C (67 with Ctrl, other modifiers ignored) puts the selected block on the clipboard as
// text, tab between cells and carriage return between rows. Delete (46, no modifier) runs the
// view's delete, the same as the popup's first entry: Delete Selection in the channel list,
// the duplicates' delete in the duplicates view, the selected rows' delete in the groups view
// and in table views. The favourites view offers no delete, so there the key does nothing.
//
// The popup runs its entries by position: 0 delete, 1 add new (refused with
// msgAddNewRestricted in the channel list and the favourites view), 2 copy, 3 paste. The
// commands of other views are run by name; until their subsystem installs them the registry
// refuses, and the abandoned command says which name is missing.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::views {

// Names of the row commands the views other than the channel list install.
inline constexpr char kDeleteSelectedRows[] = "DeleteSelectedRows";
inline constexpr char kDeleteDuplicateRows[] = "DeleteDuplicateRows";
inline constexpr char kAddNewRow[] = "AddNewRow";
inline constexpr char kPasteRows[] = "PasteRows";

enum class RowCommand { Delete = 0, AddNew = 1, Copy = 2, Paste = 3 };

void gridKeyUp(app::App& app, int keyCode, int shift);

// The selected block of the grid onto the clipboard (Ctrl+C and the popup's Copy).
void copyCells(app::App& app);

// The delete of the view shown (the Delete key and the popup's first entry).
void deleteForView(app::App& app);

// The popup entry at `position`; positions the popup does not offer run nothing.
void runRowCommand(app::App& app, int position);

}  // namespace velmora::core::views
