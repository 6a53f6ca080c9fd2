// The state the main window keeps for as long as the program runs and every command reads or
// changes: the open database and its path, the view mode, the change flags, the filter
// bookkeeping and the window geometry read at start-up.
//
// It is plain data on purpose. Commands live in their own files (and folders) and reach it
// through App::state(); nothing here knows which command sets what.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/dao/database.h"
#include "engine/dao/workspace.h"

namespace velmora::core::app {

// What the group picker List4 was opened for ("Put Select in group..." and its relatives).
// The values are the picker's List4Mode numbers: 0 closed, 2 opened for the selection.
enum class GroupPickPurpose { None = 0, PutSelectInGroup = 2 };

// Codes of the last filter click not yet confirmed by a reload (0: none).
enum class FilterClick : int {
    None = 0,
    Tv = 1,
    Radio = 2,
    Encrypted = 3,
    NotEncrypted = 4,
    TvRadioPair = 5,     // one of TV/Radio unticked both, the other was ticked again
    EncryptionPair = 6,  // the same for Encrypted/NotEncrypted
};

// The window geometry as the settings hold it, in twips, as 16-bit whole numbers.
struct SavedGeometry {
    int16_t height = 0;
    int16_t width = 0;
    int16_t top = 0;
    int16_t left = 0;
};

inline constexpr char kViewChannelList[] = "Favkanal";
inline constexpr char kViewFavorites[] = "Favorites";
inline constexpr char kViewDuplicates[] = "Duplicates";
inline constexpr char kViewGroups[] = "FAVNAME";

struct AppState {
    std::string DbPath;
    std::unique_ptr<engine::dao::Workspace> workspace;
    std::unique_ptr<engine::dao::Database> ChannelDb;
    std::string LanguageCode;

    std::string CurrentView;  // "" until a view was loaded
    bool FavDirty = false;
    bool MultiFavAdded = false;
    bool DragDropOpen = false;
    FilterClick PendingFilterClick = FilterClick::None;
    bool ColorRadio = true;
    bool FirstPaintPending = false;
    // Set by the Settings window when OK stored a changed setting or the browse button
    // opened another database; read by the Settings command once the window has closed.
    bool SettingsChanged = false;
    GroupPickPurpose groupPickPurpose = GroupPickPurpose::None;

    // Flag i: field i of the set behind the grid (grid column i + 1) is of type Text.
    std::array<bool, 101> ColumnIsText{};

    // Read at start-up; a value that does not fit keeps the one from before.
    SavedGeometry saved;

    bool hasDatabase() const { return ChannelDb != nullptr && ChannelDb->isOpen(); }
};

}  // namespace velmora::core::app
