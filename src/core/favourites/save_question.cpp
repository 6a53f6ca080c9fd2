#include "core/favourites/save_question.h"

#include "core/app/app.h"

namespace velmora::core::favourites {

namespace {

// Runs the save and commits it; false when the commit failed.
bool saveAndCommit(app::App& app) {
    app.commands().run(app::command::kSaveFavChannels);
    if (!app.commitPending()) {
        // Nothing of the save reached the file; the grid still holds the edits.
        app.state().FavDirty = true;
        return false;
    }
    // The save is a command of its own: an undo of the command that asked takes only that.
    app.closeUndoStep();
    return true;
}

}  // namespace

bool askSaveQuestion(app::App& app) {
    if (!app.state().FavDirty)
        return true;
    const auto answer =
        app.showMessage(app.text(app::UiKey::msgAskSave), ports::MessageButtons::YesNoCancel,
                        ports::MessageIcon::None);
    if (answer == ports::MessageAnswer::Cancel)
        return false;
    if (answer == ports::MessageAnswer::No)
        return true;
    return saveAndCommit(app);
}

bool askSaveQuestionOkCancel(app::App& app) {
    if (!app.state().FavDirty)
        return true;
    const auto answer = app.showMessage(app.text(app::UiKey::msgAskSave),
                                        ports::MessageButtons::OkCancel, ports::MessageIcon::None);
    if (answer != ports::MessageAnswer::Ok)
        return false;
    return saveAndCommit(app);
}

void installSaveQuestion(app::App& app) {
    app.setSaveQuestion([&app] { return askSaveQuestion(app); });
}

}  // namespace velmora::core::favourites
