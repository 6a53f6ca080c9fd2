#include "core/views/grid_keys.h"

#include <string>

#include "core/app/app.h"
#include "core/app/command_registry.h"
#include "core/grid/virtual_keys.h"
#include "core/ports/cursor_port.h"

namespace velmora::core::views {

void copyCells(app::App& app) {
    ports::WaitCursor busy(app.ports().cursor);
    ports::ClipboardPort& clipboard = app.ports().clipboard;
    clipboard.clear();
    clipboard.setText(app.grid().clip());
}

void deleteForView(app::App& app) {
    const std::string& view = app.state().CurrentView;
    if (view == app::kViewChannelList) {
        app.commands().run(app::command::kDeleteSelection);
    } else if (view == app::kViewDuplicates) {
        app.commands().run(kDeleteDuplicateRows);
    } else if (view == app::kViewFavorites || view.empty()) {
        // No delete there; nothing is loaded before the first view.
    } else {
        app.commands().run(kDeleteSelectedRows);
    }
}

void gridKeyUp(app::App& app, int keyCode, int shift) {
    if (keyCode == grid::vk::kLetterC && (shift & grid::kCtrlMask) != 0) {
        copyCells(app);
    } else if (keyCode == grid::vk::kDelete && shift == 0) {
        deleteForView(app);
    }
}

void runRowCommand(app::App& app, int position) {
    switch (static_cast<RowCommand>(position)) {
        case RowCommand::Delete:
            deleteForView(app);
            break;
        case RowCommand::AddNew: {
            const std::string& view = app.state().CurrentView;
            if (view == app::kViewChannelList || view == app::kViewFavorites) {
                app.showMessage(app.text(app::UiKey::msgAddNewRestricted),
                                ports::MessageButtons::Ok);
            } else {
                app.commands().run(kAddNewRow);
            }
            break;
        }
        case RowCommand::Copy:
            copyCells(app);
            break;
        case RowCommand::Paste:
            app.commands().run(kPasteRows);
            break;
        default:
            break;
    }
}

}  // namespace velmora::core::views
