#include "core/views/view_entry.h"

#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_window_controls.h"
#include "core/views/channel_list.h"
#include "core/views/column_widths.h"

namespace velmora::core::views {

namespace {

void enterAs(app::App& app, std::string_view name, std::string_view description) {
    const app::ViewDescription& view = app.views().find(description);
    std::vector<std::string> captions;
    for (const app::PopupEntry& entry : view.popup)
        captions.push_back(app.text(entry.caption));
    showChannelListControls(app, view.showsChannelListControls);
    app.mainForm().setItems(app::control::kRowPopup, std::move(captions));
    app.views().entered(std::string(name), std::string(description));
    app.state().CurrentView = std::string(name);
    showColumnsReadably(app);
}

}  // namespace

void installViewRebuild(app::App& app) {
    app.setViewRebuild([&app] {
        const app::ViewDescription& view = currentView(app);
        if (view.buildCommand.empty() || !app.commands().has(view.buildCommand))
            return false;
        // What the grid held is dropped for what the file holds: no save question.
        app.state().FavDirty = false;
        app.commands().run(view.buildCommand);
        return true;
    });
    app.setViewEntry([&app](const std::string& view) { enterView(app, view); });
}

void installColumnFitting(app::App& app) {
    app.commands().install(app::command::kFitColumnsToWindow, [&app] {
        const app::ViewDescription& view = currentView(app);
        if (view.fitColumnsToWidth) {
            view.fitColumnsToWidth(app, app.mainForm().geometry().width);
            showColumnsReadably(app);
        }
    });
}

const app::ViewDescription& currentView(const app::App& app) {
    return app.views().current(app.state().CurrentView);
}

void enterView(app::App& app, std::string_view name) {
    enterAs(app, name, name);
}

void enterTableView(app::App& app, std::string_view table) {
    enterAs(app, table, std::string_view{});
}

}  // namespace velmora::core::views
