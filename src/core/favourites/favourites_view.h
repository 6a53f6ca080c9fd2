// The favourites view ("Change FavoriteNr", Command12): every assignment of a channel to a
// favourite group whose channel exists, one row each, with the group, the position in the
// group ("Nummer") and the channel's name. Only Nummer is edited, and a changed position is
// written to its FAVOURITE row at once, found by the row's group, SOURCEID, SID and NID.
//
// A position that cannot be stored ("ERROR updating Database") leaves the cell at its old
// value, so the grid never shows a position the file does not hold.
#pragma once

#include "core/app/cell_writer.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

inline constexpr char kFavouritesViewStatement[] =
    "SELECT FAVOURITE.FAVNAME AS FAVORITE, FAVOURITE.NUM AS Nummer, CHANNELS.NAME, "
    "FAVOURITE.SOURCEID, FAVOURITE.SID, FAVOURITE.NID FROM FAVOURITE INNER JOIN CHANNELS ON "
    "(FAVOURITE.SID = CHANNELS.SID) AND (FAVOURITE.NID = CHANNELS.NID) AND "
    "(FAVOURITE.SOURCEID = CHANNELS.SOURCEID)";

inline constexpr char kUpdateError[] = "ERROR updating Database";

// Installs the command (command::kChangeFavoriteNr), the button Command12 and the view.
void installFavouritesView(app::App& app);

// Builds the view.
void ChangeFavoriteNr(app::App& app);

// The view's cell writer: stores the edited position.
void writeFavouriteNumber(app::App& app, const app::EditedCell& cell);

}  // namespace velmora::core::favourites
