// The "Settings" button (Command11) and the Settings window's handlers: the save question,
// the window shown modally, OK storing only what changed, Cancel storing nothing, the browse
// button switching to another database after a test open, and the primary-key check. When
// the window changed anything, the whole start-up sequence runs again and the next paint
// reloads the lists.
//
// The window leaves the grid and the open database in agreement. The browse button opens
// the other database at once; should the window then close without that path being stored
// (Cancel, the close box, or OK after the path was typed back), the start-up sequence runs
// again as well and reopens the stored database, rather than leave the grid showing one
// database while the commands write to another.
#pragma once

#include "core/app/command_names.h"

namespace velmora::core::app {

class App;

inline constexpr const char* kSettingsCommand = command::kSettings;

// Runs the command as the button does.
void runSettingsCommand(App& app);

// Installs "Settings" into the command registry and Command11's click.
void installSettingsCommand(App& app);

}  // namespace velmora::core::app
