#include "core/app/command_registry.h"

#include <stdexcept>

namespace velmora::core::app {

void CommandRegistry::install(std::string name, Command command) {
    m_commands[std::move(name)] = std::move(command);
}

bool CommandRegistry::has(std::string_view name) const {
    return m_commands.find(name) != m_commands.end();
}

void CommandRegistry::run(std::string_view name) const {
    auto it = m_commands.find(name);
    if (it == m_commands.end()) {
        throw std::logic_error("no command installed as " + std::string(name));
    }
    // Copy: a command may install or replace commands while it runs.
    Command command = it->second;
    command();
}

bool CommandRegistry::runIfInstalled(std::string_view name) const {
    if (!has(name)) {
        return false;
    }
    run(name);
    return true;
}

}  // namespace velmora::core::app
