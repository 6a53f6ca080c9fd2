#include "core/maintenance/clean_up_question.h"

#include "core/app/app.h"
#include "core/views/channel_list.h"

namespace velmora::core::maintenance {

bool askCleanUp(app::App& app, app::UiKey information) {
    if (!app.askSaveQuestion())
        return false;
    app.state().FavDirty = false;
    app.state().MultiFavAdded = false;
    return app.showMessage(app.text(information), ports::MessageButtons::OkCancel) ==
           ports::MessageAnswer::Ok;
}

void reloadChannelListIfShown(app::App& app) {
    if (views::channelListShown(app))
        app.commands().run(app::command::kLoadChannelList);
}

}  // namespace velmora::core::maintenance
