// The start-up sequence of the main window: the language, the database path (stored, or
// chosen in the file dialog), the workspace and the open database, the flags, the window
// geometry and the colours. It runs when the program starts and again, whole, after the
// Settings window changed something.
//
// Two things differ from a plain reading of the old sequence, both because the old one could
// not recover: a stored path that no longer opens is reported and then the file dialog is
// offered as on a first start (the program ends only when that gives no database, and the
// stored path changes only once another database has opened); and the dialog starts in the
// folder of the given path rather than in the path cut by a fixed number of characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/app/database_path.h"

namespace velmora::core::app {

class App;

// Runs the sequence; false when it ended the program.
bool runStartupSequence(App& app);

// Shows the file dialog for the channel database (title msgEnterDbPath, the one filter
// "Database Files (*.mdb)"), starting at `start`. Returns the chosen path, or std::nullopt
// for Cancel. Whether the answer is taken is isAcceptedDatabasePath()'s business.
std::optional<std::string> BrowseForDatabase(App& app, const DialogStart& start);
// The same, starting at a given database path (its folder, and the path as the file name).
std::optional<std::string> BrowseForDatabase(App& app, std::string_view path);

// A geometry setting as a 16-bit whole number: the number the text begins with (0 when it
// begins with none), rounded half to even; std::nullopt when it lies outside -32768..32767.
std::optional<int16_t> readGeometryNumber(std::string_view text);

// Reads HSize, VSize, TPos and LPos into the state's saved geometry, keeping the earlier
// value of each that does not fit.
void readSavedGeometry(App& app);

}  // namespace velmora::core::app
