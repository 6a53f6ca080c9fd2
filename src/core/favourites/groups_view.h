// The groups view ("Edit Favorite Groups", Command6): the rows of FAVNAME, every column of
// the table, values as stored (a name with trailing blanks shows them). A group is renamed
// by editing its name; the rename is carried over to every assignment in FAVOURITE. Deleting
// groups deletes their assignments too, also when a FAVNAME row itself could not be deleted.
//
// FAVOURITE names a group by its text only, and the channel list shows names trimmed; a
// rename or delete therefore reaches the assignments stored under the shown spelling and
// under the trimmed one. Names go into statements as quoted literals, so a quote in a group
// name is a name, never the end of the statement.
#pragma once

#include "core/app/cell_writer.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

// Installs the command, the button Command6, DeleteSelectedGroups and the view.
void installGroupsView(app::App& app);

void EditFavoriteGroups(app::App& app);

// The view's cell writer: the FAVNAME row and, for an edited name, the rename in FAVOURITE;
// the two are stored together or neither is.
void writeGroupCell(app::App& app, const app::EditedCell& cell);

// The view's Delete: the selected groups and their assignments.
void DeleteSelectedGroups(app::App& app);

}  // namespace velmora::core::favourites
