// The names under which the subsystems install their commands (command_registry.h), in one
// place: a view names the commands behind its popup entries and its Delete key, the shell
// runs the start-up and closing commands, and a window runs a command of another folder,
// all without linking against the folder that installs it.
#pragma once

namespace velmora::core::app::command {

// Start-up, the first paint and closing.
inline constexpr char kGetTables[] = "GetTables";
inline constexpr char kLoadChannelList[] = "LoadChannelList";
inline constexpr char kCloseDragDrop[] = "CloseDragDropWindow";
inline constexpr char kSettings[] = "Settings";
// Taking the last command that changed the file back, and doing it again.
inline constexpr char kUndo[] = "Undo";
inline constexpr char kRedo[] = "Redo";

// The views' builders, and the shown view's columns following a wider window.
inline constexpr char kFitColumnsToWindow[] = "FitColumnsToWindow";
inline constexpr char kShowTable[] = "ShowTable";
// The table view of the table shown now, built again from the file (List1 may have moved on).
inline constexpr char kShowShownTable[] = "ShowShownTable";
inline constexpr char kChangeFavoriteNr[] = "ChangeFavoriteNr";
inline constexpr char kEditFavoriteGroups[] = "EditFavoriteGroups";

// Favourites.
inline constexpr char kSaveFavChannels[] = "SaveFavChannels";  // "Save Fav. Channels"
inline constexpr char kDeleteSelection[] = "DeleteSelection";  // "Delete Selection"
// The drag and drop window's drop of the grid's current row on its selected group.
inline constexpr char kDropOnSelectedGroup[] = "DropOnSelectedGroup";

// Row commands of the grid's popup and its keys.
inline constexpr char kDeleteSelectedRows[] = "DeleteSelectedRows";
inline constexpr char kDeleteSelectedGroups[] = "DeleteSelectedGroups";
inline constexpr char kDeleteDuplicateRows[] = "DeleteDuplicateRows";
inline constexpr char kAddNewRow[] = "AddNewRow";
inline constexpr char kAddNewGroup[] = "AddNewGroup";
inline constexpr char kAddNewRestricted[] = "AddNewRestricted";
inline constexpr char kCopyCells[] = "CopyCells";
inline constexpr char kPasteRows[] = "PasteRows";
inline constexpr char kStartGridDrag[] = "StartGridDrag";

// Finding a channel by its name (Ctrl+F, F3, Shift+F3).
inline constexpr char kFindChannel[] = "FindChannel";    // opens the find window
inline constexpr char kFindNext[] = "FindNext";          // the next channel found
inline constexpr char kFindPrevious[] = "FindPrevious";  // the one before

// Maintenance.
inline constexpr char kCheckPrimKey[] = "CheckPrimKey";
inline constexpr char kCompactDatabase[] = "CompactDatabase";
inline constexpr char kReNumber[] = "ReNumber";
inline constexpr char kDeleteEmptyChannels[] = "DeleteEmptyChannels";
inline constexpr char kDeleteSpecialChars[] = "DeleteSpecialChars";
inline constexpr char kShowEditDuplicates[] = "ShowEditDuplicates";  // "Show/Edit Duplicates"
inline constexpr char kTakeOverFrom[] = "TakeOverFrom";              // "Take over from..."

}  // namespace velmora::core::app::command
