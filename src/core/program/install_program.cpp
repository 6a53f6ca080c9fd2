#include "core/program/install_program.h"

#include "core/app/main_shortcuts.h"
#include "core/app/main_window_events.h"
#include "core/app/settings_command.h"
#include "core/app/undo_command.h"
#include "core/editing/find_channel.h"
#include "core/editing/grid_editing.h"
#include "core/explorer/add_new_row.h"
#include "core/explorer/delete_rows.h"
#include "core/explorer/paste_rows.h"
#include "core/explorer/table_list.h"
#include "core/explorer/table_view.h"
#include "core/favourites/add_new_group.h"
#include "core/favourites/delete_selection.h"
#include "core/favourites/drop_fav_window.h"
#include "core/favourites/favourites_view.h"
#include "core/favourites/groups_view.h"
#include "core/favourites/put_select_in_group.h"
#include "core/favourites/save_fav_channels.h"
#include "core/maintenance/compact_database.h"
#include "core/maintenance/delete_duplicate_rows.h"
#include "core/maintenance/delete_empty_channels.h"
#include "core/maintenance/delete_special_chars.h"
#include "core/maintenance/duplicates_view.h"
#include "core/maintenance/primary_key_check.h"
#include "core/maintenance/renumber.h"
#include "core/maintenance/take_over_command.h"
#include "core/views/channel_list.h"

namespace velmora::core::program {

namespace {

void installSubsystems(app::App& app) {
    // The main window's start-up, paint, resize and close, and its keys.
    app::installMainWindowEvents(app);
    app::installMainShortcuts(app);

    // The grid's handlers, and the row commands every view may name.
    editing::installGridEditing(app);

    // Commands.
    favourites::installSaveFavChannels(app);
    favourites::installDeleteSelection(app);
    favourites::installPutSelectInGroup(app);
    maintenance::installPrimaryKeyCheck(app);
    maintenance::installCompactDatabase(app);
    maintenance::installReNumber(app);
    maintenance::installDeleteEmptyChannels(app);
    maintenance::installDeleteSpecialChars(app);
    maintenance::installDeleteDuplicateRows(app);
    maintenance::installTakeOverFrom(app);
    app::installSettingsCommand(app);
    app::installUndoRedo(app);
    explorer::installPasteRows(app);
    explorer::installAddNewRow(app);
    favourites::installAddNewGroup(app);
    explorer::installTableList(app);
    explorer::installDeleteRows(app);
    editing::installFindChannel(app);
    favourites::installDragDrop(app);

    // Views, each checking the commands it names.
    views::installChannelList(app);
    favourites::installFavouritesView(app);
    maintenance::installDuplicatesView(app);
    favourites::installGroupsView(app);
    explorer::installTableView(app);
}

}  // namespace

std::unique_ptr<app::App> installProgram(ports::Ports ports, app::ModalHost& modalHost,
                                         app::AppConfig config) {
    auto app = std::make_unique<app::App>(ports, modalHost, std::move(config));
    installSubsystems(*app);
    return app;
}

}  // namespace velmora::core::program
