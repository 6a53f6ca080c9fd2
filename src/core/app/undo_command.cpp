#include "core/app/undo_command.h"

#include "core/app/app.h"
#include "core/app/read_only_notice.h"
#include "core/ports/cursor_port.h"

namespace velmora::core::app {

namespace {

void takeBackOrRedo(App& app, bool redo) {
    if (!app.state().hasDatabase() || refuseWhileReadOnly(app))
        return;
    if (!app.askSaveQuestion())
        return;
    // What the grid held unsaved after a No goes: the view is built again from the file.
    app.state().FavDirty = false;
    app.state().MultiFavAdded = false;
    if (!app.commitPending())
        return;
    app.closeUndoStep();

    engine::dao::Database& db = app.db();
    UndoHistory& history = app.undoHistory();
    if (const engine::Status followed = history.follow(db); !followed.isOk()) {
        app.showMessage("Error " + std::to_string(followed.code()) + "\r\n" + followed.message(),
                        ports::MessageButtons::Ok);
        return;
    }
    if (!app.backUpBeforeFirstWrite())
        return;
    UndoHistory::Result result;
    {
        ports::WaitCursor busy(app.ports().cursor);
        result = redo ? history.redo(db) : history.undo(db);
    }
    switch (result.outcome) {
        case UndoHistory::Outcome::Nothing:
            app.showMessage(app.text(redo ? UiKey::msgNothingToRedo : UiKey::msgNothingToUndo),
                            ports::MessageButtons::Ok);
            return;
        case UndoHistory::Outcome::ChangedOutside:
            app.showMessage(app.text(UiKey::msgUndoChangedOutside), ports::MessageButtons::Ok);
            return;
        case UndoHistory::Outcome::Failed:
            app.showMessage(
                "Error " + std::to_string(result.status.code()) + "\r\n" + result.status.message(),
                ports::MessageButtons::Ok);
            return;
        case UndoHistory::Outcome::Done:
            break;
    }
    if (app.state().CurrentView.empty() || !app.rebuildShownView())
        app.commands().run(command::kLoadChannelList);
    if (!result.status.isOk()) {
        // The file is changed back; only the history could not note it.
        app.showMessage(app.text(UiKey::msgUndoNotStored) + result.status.message(),
                        ports::MessageButtons::Ok);
    }
}

}  // namespace

void UndoLastCommand(App& app) {
    takeBackOrRedo(app, false);
}

void RedoLastCommand(App& app) {
    takeBackOrRedo(app, true);
}

void installUndoRedo(App& app) {
    app.commands().install(command::kUndo, [&app] { UndoLastCommand(app); });
    app.commands().install(command::kRedo, [&app] { RedoLastCommand(app); });
}

}  // namespace velmora::core::app
