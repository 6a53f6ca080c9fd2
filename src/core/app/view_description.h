// What the grid's handlers need to know of one view, registered by the folder that builds
// the view when it is installed.
//
// The grid shows one view at a time, named by CurrentView: the channel list, the favourites
// view, the groups view, the duplicates view, or a table of the explorer (a table view is any
// name no other view registered). The handlers of the grid (double click, right press, the
// Delete key, the popup, finishing an edit) never compare view names: they look the current
// view's description up (view_registry.h, which App owns) and do what it says.
//
// A description names commands by their registry names (command_names.h). Registering checks
// that each of them is installed, so a view that names a missing command fails when the
// program is put together, not when the user chooses the entry.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/cell_writer.h"
#include "core/app/ui_text.h"

namespace velmora::core::app {

class App;

enum class Editor { None, Text, GroupList };

// One entry of the row-command popup List3: its caption and the command behind it. Entries
// are chosen by position.
struct PopupEntry {
    UiKey caption;
    std::string command;
};

// Where a changed cell goes when its editor closes.
enum class EditStore {
    KeptForSave,  // stays in the grid and sets FavDirty until "Save Fav. Channels"
    AtOnce,       // written to the database by the view's cell writer
};

struct ViewDescription {
    // The CurrentView value; empty for the table view, which serves every other name.
    std::string name;

    // The editor a double click opens over a column with this header (exact comparison).
    std::function<Editor(std::string_view header)> doubleClickEditor;
    // The editor a right press in the data area opens over a column with this header.
    std::function<Editor(std::string_view header)> rightPressEditor;

    // List3's entries in position order.
    std::vector<PopupEntry> popup;
    // Whether a right press on the row markers (or on whole rows) opens the popup.
    bool popupOnRightPress = true;
    // What the grid's Delete key runs; empty: the key does nothing in this view.
    std::string deleteCommand;

    EditStore edits = EditStore::AtOnce;
    // Stores one edited cell (AtOnce views). Its contract is in cell_writer.h.
    CellWriter cellWriter;

    // The four filter boxes shown and the five channel-list buttons enabled.
    bool showsChannelListControls = false;

    // The command that builds the view; run again (without the save question) to show what
    // the file holds after a command that had changed the grid was rolled back. Empty: the
    // view cannot be rebuilt that way.
    std::string buildCommand;

    // Sets the widths of the columns that follow the window's width (twips) when the user
    // makes the window wider; empty: every column keeps its width.
    std::function<void(App&, int windowWidth)> fitColumnsToWidth;
    // The columns fitColumnsToWidth gives their share of the window: they keep that share
    // rather than grow to their values, which would push the columns after them out of view.
    std::vector<int> columnsSharingTheWindow;

    // Runs when a text edit kept for the save (KeptForSave) changed cell (row, col), so the
    // view can show the value wherever else it belongs; empty: only that cell changes.
    std::function<void(App&, int row, int col)> spreadKeptEdit;
};

// Editor choices the views share.
Editor noEditor(std::string_view header);
Editor textEditorEverywhere(std::string_view header);

}  // namespace velmora::core::app
