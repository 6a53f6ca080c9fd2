// "GetTables": fills the explorer's table list List1 with the database's own tables (the
// engine's MSys tables left out) in the order the database reports them, and enables
// "ShowTable". Run by the first paint; its button Command1 is never shown.
#pragma once

namespace velmora::core::app {

class App;

// Installs the command as command::kGetTables.
void installTableList(App& app);

void GetTables(App& app);

}  // namespace velmora::core::app
