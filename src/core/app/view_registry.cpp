#include "core/app/view_registry.h"

#include <stdexcept>

namespace velmora::core::app {

namespace {

void requireCommand(const CommandRegistry& commands, const std::string& view,
                    const std::string& command) {
    if (!command.empty() && !commands.has(command)) {
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

}  // namespace

Editor noEditor(std::string_view /*header*/) {
    return Editor::None;
}

Editor textEditorEverywhere(std::string_view /*header*/) {
    return Editor::Text;
}

void ViewRegistry::add(ViewDescription description) {
    const std::string shownName = description.name.empty() ? "(table)" : description.name;
    for (const PopupEntry& entry : description.popup)
        requireCommand(m_commands, shownName, entry.command);
    requireCommand(m_commands, shownName, description.deleteCommand);
    requireCommand(m_commands, shownName, description.buildCommand);
    if (description.edits == EditStore::AtOnce && !description.cellWriter)
        throw std::logic_error("the view '" + shownName +
                               "' writes edits at once but has no writer");
    if (!description.doubleClickEditor)
        description.doubleClickEditor = noEditor;
    if (!description.rightPressEditor)
        description.rightPressEditor = noEditor;
    m_views.insert_or_assign(description.name, std::move(description));
}

const ViewDescription& ViewRegistry::find(std::string_view name) const {
    auto it = m_views.find(name);
    if (it == m_views.end())
        it = m_views.find(std::string_view{});
    if (it == m_views.end())
        throw std::logic_error("no view is registered for '" + std::string(name) + "'");
    return it->second;
}

const ViewDescription& ViewRegistry::current(std::string_view shownView) const {
    if (shownView.empty())
        return inertView();
    if (m_enteredView == shownView)
        return find(m_enteredDescription);
    return find(shownView);
}

void ViewRegistry::entered(std::string shownView, std::string description) {
    m_enteredView = std::move(shownView);
    m_enteredDescription = std::move(description);
}

}  // namespace velmora::core::app
