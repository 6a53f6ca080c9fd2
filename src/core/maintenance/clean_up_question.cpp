#include "core/maintenance/clean_up_question.h"

#include "core/app/app.h"
#include "core/views/channel_list.h"

namespace velmora::core::maintenance {

bool askCleanUp(app::App& app, app::UiKey information) {
    if (!app.askSaveQuestion())
        return false;
    // After No the grid still holds the edits until the command goes on: Cancel keeps them
    // unsaved, and the save question comes again.
    if (app.showMessage(app.text(information), ports::MessageButtons::OkCancel) !=
        ports::MessageAnswer::Ok)
        return false;
    app.state().FavDirty = false;
    app.state().MultiFavAdded = false;
    return true;
}

void reloadChannelListIfShown(app::App& app) {
    if (views::channelListShown(app))
        app.commands().run(app::command::kLoadChannelList);
}

}  // namespace velmora::core::maintenance
