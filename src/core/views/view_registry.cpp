#include "core/views/view_registry.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/views/channel_list.h"
#include "core/views/column_widths.h"
#include "core/views/grid_edit.h"
#include "core/views/grid_editing.h"

namespace velmora::core::views {

namespace {

GridEditing& editingOf(app::App& app) {
    GridEditing* editing = gridEditing(app);
    if (editing == nullptr)
        throw std::logic_error("the grid editing is not installed");
    return *editing;
}

void requireCommand(app::App& app, const std::string& view, const std::string& command) {
    if (!command.empty() && !app.commands().has(command)) {
        throw std::logic_error("the view '" + view + "' names the command '" + command +
                               "', which is not installed");
    }
}

const ViewDescription& inertView() {
    static const ViewDescription inert{
        .name = "",
        .doubleClickEditor = noEditor,
        .rightPressEditor = noEditor,
        .popup = {},
        .popupOnRightPress = false,
        .deleteCommand = "",
        .edits = EditStore::KeptForSave,
        .cellWriter = {},
        .showsChannelListControls = false,
        .buildCommand = "",
        .fitColumnsToWidth = {},
        .columnsSharingTheWindow = {},
        .spreadKeptEdit = {},
    };
    return inert;
}

void enterAs(app::App& app, std::string_view name, std::string_view description) {
    const ViewDescription& view = viewDescription(app, description);
    std::vector<std::string> captions;
    for (const PopupEntry& entry : view.popup)
        captions.push_back(app.text(entry.caption));
    showChannelListControls(app, view.showsChannelListControls);
    app.mainForm().setItems(kRowPopup, std::move(captions));
    editingOf(app).entered() = GridEditing::Entered{std::string(name), std::string(description)};
    app.state().CurrentView = std::string(name);
    showColumnsReadably(app);
}

}  // namespace

Editor noEditor(std::string_view /*header*/) {
    return Editor::None;
}

Editor textEditorEverywhere(std::string_view /*header*/) {
    return Editor::Text;
}

void registerView(app::App& app, ViewDescription description) {
    const std::string shownName = description.name.empty() ? "(table)" : description.name;
    for (const PopupEntry& entry : description.popup)
        requireCommand(app, shownName, entry.command);
    requireCommand(app, shownName, description.deleteCommand);
    requireCommand(app, shownName, description.buildCommand);
    if (description.edits == EditStore::AtOnce && !description.cellWriter)
        throw std::logic_error("the view '" + shownName +
                               "' writes edits at once but has no writer");
    if (!description.doubleClickEditor)
        description.doubleClickEditor = noEditor;
    if (!description.rightPressEditor)
        description.rightPressEditor = noEditor;
    editingOf(app).views().insert_or_assign(description.name, std::move(description));
}

void installViewRebuild(app::App& app) {
    app.setViewRebuild([&app] {
        const ViewDescription& view = currentView(app);
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
        const ViewDescription& view = currentView(app);
        if (view.fitColumnsToWidth) {
            view.fitColumnsToWidth(app, app.mainForm().geometry().width);
            showColumnsReadably(app);
        }
    });
}

const ViewDescription& viewDescription(app::App& app, std::string_view name) {
    const auto& views = editingOf(app).views();
    auto it = views.find(name);
    if (it == views.end())
        it = views.find(std::string_view{});
    if (it == views.end())
        throw std::logic_error("no view is registered for '" + std::string(name) + "'");
    return it->second;
}

const ViewDescription& currentView(app::App& app) {
    const std::string& name = app.state().CurrentView;
    if (name.empty())
        return inertView();
    // A table may carry the name of another view (FAVNAME is also the groups view's): the
    // description is the one the view was entered with.
    const GridEditing::Entered& entered = editingOf(app).entered();
    if (entered.view == name)
        return viewDescription(app, entered.description);
    return viewDescription(app, name);
}

void enterView(app::App& app, std::string_view name) {
    enterAs(app, name, name);
}

void enterTableView(app::App& app, std::string_view table) {
    enterAs(app, table, std::string_view{});
}

}  // namespace velmora::core::views
