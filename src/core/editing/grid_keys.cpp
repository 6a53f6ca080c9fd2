#include "core/editing/grid_keys.h"

#include <string>

#include "core/app/app.h"
#include "core/app/command_registry.h"
#include "core/grid/virtual_keys.h"
#include "core/ports/cursor_port.h"
#include "core/views/view_entry.h"

namespace velmora::core::editing {

void copyCells(const grid::GridModel& grid, ports::Ports& ports) {
    ports::WaitCursor busy(ports.cursor);
    ports.clipboard.clear();
    ports.clipboard.setText(grid.clip());
}

void addNewRestricted(app::App& app) {
    app.showMessage(app.text(app::UiKey::msgAddNewRestricted), ports::MessageButtons::Ok);
}

void deleteForView(app::App& app) {
    const std::string& command = views::currentView(app).deleteCommand;
    if (!command.empty())
        app.commands().run(command);
}

void gridKeyUp(app::App& app, int keyCode, int shift) {
    if (keyCode == grid::vk::kDelete && shift == 0) {
        deleteForView(app);
    } else if (keyCode == grid::vk::kF9 && shift == 0 && app.state().DragDropOpen) {
        // The keyboard's drag: the current row goes to the group chosen in the drop window.
        // Not F8: that key shows the duplicates while the grid has the focus.
        app.commands().runIfInstalled(app::command::kDropOnSelectedGroup);
    }
}

void runRowCommand(app::App& app, int position) {
    const std::vector<app::PopupEntry>& popup = views::currentView(app).popup;
    if (position < 0 || position >= static_cast<int>(popup.size()))
        return;
    const std::string& command = popup[static_cast<std::size_t>(position)].command;
    if (!command.empty())
        app.commands().run(command);
}

void installRowCommandBasics(app::App& app) {
    app.commands().install(app::command::kCopyCells,
                           [&app] { copyCells(app.grid(), app.ports()); });
    app.commands().install(app::command::kAddNewRestricted, [&app] { addNewRestricted(app); });
}

}  // namespace velmora::core::editing
