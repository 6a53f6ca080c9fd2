// Commands by name, so each subsystem installs its own commands from its own folder and the
// others run them without linking against it: the first paint runs "GetTables" and
// "LoadChannelList", the save question's Yes branch runs "SaveFavChannels", and so on.
//
// A command is a plain function over the App it was installed into. Running a name nobody
// installed is a programming error and throws std::logic_error, which the dispatcher turns
// into an abandoned command with a message rather than a silent no-op.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "core/app/command_names.h"

namespace velmora::core::app {

class CommandRegistry {
public:
    using Command = std::function<void()>;

    // Installs (or replaces) the command.
    void install(std::string name, Command command);
    bool has(std::string_view name) const;
    // Runs the command; throws std::logic_error when none is installed under the name.
    void run(std::string_view name) const;
    // Runs the command when one is installed; returns whether it ran.
    bool runIfInstalled(std::string_view name) const;

private:
    std::map<std::string, Command, std::less<>> m_commands;
};

}  // namespace velmora::core::app
