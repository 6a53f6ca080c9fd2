// Undo and redo (Ctrl+Z, Ctrl+Y): the last command that changed the database is taken back
// by writing back the pages it changed as they were before it, and done again by writing them
// as they were after it (undo_history.h). Each is one atomic commit of its own, backed up
// first like any first change in a run; afterwards the shown view is built again from the file.
//
// Unsaved edits of the channel list are no command: the save question comes first, as for
// every command, and a Yes stores them as a command of their own, which the undo then takes
// back. A file another program changed since the command is refused with a message and left
// as it is; so is a read-only file.
#pragma once

namespace velmora::core::app {

class App;

void UndoLastCommand(App& app);
void RedoLastCommand(App& app);

// Installs both as command::kUndo and command::kRedo.
void installUndoRedo(App& app);

}  // namespace velmora::core::app
