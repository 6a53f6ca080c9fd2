// "Compact Database": writes a compacted copy of the open channel database next to it
// (the path without its last four characters, then "1.mdb") and ends the program at once.
// The open file itself is never replaced; the user swaps the two files by hand.
#pragma once

#include <string>
#include <string_view>

#include "core/app/command_names.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

inline constexpr std::string_view kCompactDatabaseCommand = app::command::kCompactDatabase;

// The copy's path: the last four characters dropped whatever they are, "1.mdb" added.
std::string compactedPath(const std::string& dbPath);

void compactDatabase(app::App& app);

// Installs "CompactDatabase" into the app's command registry.
void installCompactDatabase(app::App& app);

}  // namespace velmora::core::maintenance
