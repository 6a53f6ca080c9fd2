#include "core/favourites/save_question.h"

#include "core/app/app.h"

namespace velmora::core::favourites {

bool askSaveQuestion(app::App& app) {
    app::AppState& s = app.state();
    if (!s.FavDirty)
        return true;
    const auto answer =
        app.showMessage(app.text(app::UiKey::msgAskSave), ports::MessageButtons::YesNoCancel,
                        ports::MessageIcon::None);
    if (answer == ports::MessageAnswer::Cancel)
        return false;
    if (answer == ports::MessageAnswer::No)
        return true;
    app.commands().run(app::command::kSaveFavChannels);
    if (!app.commitPending()) {
        // Nothing of the save reached the file; the grid still holds the edits.
        s.FavDirty = true;
        return false;
    }
    return true;
}

void installSaveQuestion(app::App& app) {
    app.setSaveQuestion([&app] { return askSaveQuestion(app); });
}

}  // namespace velmora::core::favourites
