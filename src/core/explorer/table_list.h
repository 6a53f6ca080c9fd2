// "GetTables": fills the explorer's table list List1 with the database's own tables (the
// engine's MSys tables left out, in any letter case) in the order the database reports them,
// and enables "ShowTable". Run by the first paint; its button Command1 is never shown.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::explorer {

// Installs the command as command::kGetTables.
void installTableList(app::App& app);

void GetTables(app::App& app);

}  // namespace velmora::core::explorer
