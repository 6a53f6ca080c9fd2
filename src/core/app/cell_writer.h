// The seam through which an edit finished outside the channel list reaches the database.
//
// In the channel list an edit only changes the grid (and FavDirty) until "Save Fav.
// Channels" stores it. In every other editable view (the favourites view, the groups view,
// table views) a changed cell is written at once when the text editor closes: finishing
// (finish_edit.h) calls the view's writer with the cell's column and row, its old text
// (untrimmed, still in the grid) and the editor's text, then copies the editor's text into
// the cell. Each view that stores edits at once names its writer in its description
// (view_description.h).
//
// A writer's contract:
//   - it finds the database row again by the values the grid shows for it, stores the new
//     text in the edited field and reports a failure itself;
//   - when nothing was stored it puts the old text back into the text editor (Text1), so the
//     cell keeps its old value and never shows a value the file does not hold;
//   - it clears FavDirty, whether or not the write worked.
#pragma once

#include <functional>
#include <string>

namespace velmora::core::app {

class App;

struct EditedCell {
    int col = 0;  // grid column, 0 being the row-marker column
    int row = 0;  // grid row, 0 being the header row
    std::string oldText;
    std::string newText;
};

using CellWriter = std::function<void(App& app, const EditedCell& cell)>;

}  // namespace velmora::core::app
