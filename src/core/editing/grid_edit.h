// Opening the grid's overlays: the text editor Text1 (GridEdit), the group list List2
// (ListEdit) and the row-command popup List3 (ListEdit2), and which of them a double click
// opens. Each is laid over the grid's current cell, takes that cell's font and gets the
// focus; it stays open until finishing (finish_edit.h) or its Escape closes it.
//
// Positions are twips in the main window: the grid's own place plus the cell's place inside
// the grid as it is scrolled now.
#pragma once

#include <string_view>

#include "core/app/main_window_controls.h"
#include "core/app/view_description.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::editing {

// The main window's grid and its overlays.
using app::control::kGroupList;
using app::control::kGroupPicker;
using app::control::kMainGrid;
using app::control::kRowPopup;
using app::control::kTextEditor;

// The group list covers the group and number columns and this much more.
inline constexpr int kGroupListExtraWidth = 180;
// The popup sits this far left of and below the cell's corner.
inline constexpr int kPopupLeftShift = 50;
inline constexpr int kPopupDownShift = 100;

// The grid's double click: opens the editor the current view gives the current column's
// header (view_description.h) over the current cell. Nothing opens while the current cell is
// a fixed cell (a grid with only its header row).
void gridDoubleClick(app::App& app);

// Opens `editor` over the current cell; Editor::None opens nothing.
void openEditor(app::App& app, app::Editor editor);

// The text editor over the current cell, with the cell's text trimmed of blanks and the
// caret at its start.
void GridEdit(app::App& app);

// The group list over the current cell, as wide as the group and number columns plus
// kGroupListExtraWidth and one cell height per item, shortened to end one cell height above
// the window's lower edge when it would reach beyond it. A cell naming a group selects that
// group (the last equal item); on "ZZZZ" or an unknown name the earlier selection stays.
void ListEdit(app::App& app);

// The row-command popup beside the current cell (the keyboard's way), one cell height per
// item, its width kept; moved inside the grid's rectangle where it would reach beyond it, so
// it is always seen where the user looks.
void ListEdit2(app::App& app);
// The same popup with its top left corner at a press (twips from the grid's top left).
void ListEdit2At(app::App& app, int xTwips, int yTwips);

}  // namespace velmora::core::editing
