// The save question: asked by every command that replaces the grid's content, by the
// Settings command and by closing, while the channel list holds unsaved edits (FavDirty).
//
// Yes runs "Save Fav. Channels" and commits it at once as its own step, before the command
// that asked goes on: should that command fail later and be rolled back, the user's saved
// edits stay saved. When the save's commit fails, it is reported, the grid keeps its edits
// (FavDirty stays set) and the command stops. No goes on and drops the edits; Cancel stops.
#pragma once

namespace velmora::core::app {
class App;
}

namespace velmora::core::favourites {

// True to go on, false to stop. Asks nothing when FavDirty is off.
bool askSaveQuestion(app::App& app);

// ReNumber's form of the same question: OK saves (committed as its own step, as Yes does)
// and goes on, Cancel stops. There is no way on without saving.
bool askSaveQuestionOkCancel(app::App& app);

// Makes askSaveQuestion the App's save question.
void installSaveQuestion(app::App& app);

}  // namespace velmora::core::favourites
