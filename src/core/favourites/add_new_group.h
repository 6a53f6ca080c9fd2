// "AddNew" of the groups view: adds the favourite group NEW1, or NEW2 when NEW1 exists, and so
// on, each with its number in FAVNAME's second field, and shows it as the grid's new last row.
//
// A name (or number) that exists already under a unique index makes the next number be
// tried. The attempts are bounded: a refusal that is not a duplicate key (a read-only file, a
// required field the table adds, a table with one column) stops at once with "Error " and
// the engine's number and text, and after kAddNewGroupAttempts duplicates the command stops
// saying so. Either way nothing is added.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

inline constexpr int kAddNewGroupAttempts = 1000;

// Installs the command as command::kAddNewGroup.
void installAddNewGroup(app::App& app);

void AddNewGroup(app::App& app);

}  // namespace velmora::core::favourites
