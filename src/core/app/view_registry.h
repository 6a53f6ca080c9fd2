// The views the main grid can show, by name, as command_registry.h holds the commands: each
// subsystem registers the views it builds from its own folder, and the grid's handlers look
// the current one up instead of comparing view names (view_description.h).
//
// Registering checks every command the description names against the command registry and
// throws std::logic_error for a missing one, so a mistake fails when the program is put
// together, not when the user chooses the entry.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "core/app/command_registry.h"
#include "core/app/view_description.h"

namespace velmora::core::app {

class ViewRegistry {
public:
    explicit ViewRegistry(const CommandRegistry& commands) : m_commands(commands) {}

    // Registers (or replaces) the view under description.name.
    void add(ViewDescription description);

    // The description registered under `name`, else the table view's. Throws
    // std::logic_error when neither is registered.
    const ViewDescription& find(std::string_view name) const;

    // The description of the view shown as `shownView` (the CurrentView value): the one it was
    // entered with (entered()), else the one registered under its name. With nothing shown
    // (empty) it is an inert description: no editor, no popup, no delete.
    const ViewDescription& current(std::string_view shownView) const;

    // The grid now shows `shownView`, described by the view registered as `description` (""
    // for a table view, whatever the table is called).
    void entered(std::string shownView, std::string description);

private:
    const CommandRegistry& m_commands;
    std::map<std::string, ViewDescription, std::less<>> m_views;
    // The view entered last. A table may carry the name of another view (FAVNAME is also the
    // groups view's), so its description is the one it was entered with.
    std::string m_enteredView;
    std::string m_enteredDescription;
};

}  // namespace velmora::core::app
