// Velmora's entry point. The program reads only its settings; it takes no command line.
#include <QApplication>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/settings_command.h"
#include "core/favourites/delete_selection.h"
#include "core/favourites/put_select_in_group.h"
#include "core/favourites/save_fav_channels.h"
#include "core/maintenance/compact_database.h"
#include "core/maintenance/primary_key_check.h"
#include "core/views/channel_list.h"
#include "core/views/grid_editing.h"
#include "qt/form_dialog.h"
#include "qt/main_window.h"
#include "qt/overlay_editing.h"
#include "qt/picker_keys.h"
#include "qt/qt_ports.h"
#include "qt/qt_settings_store.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));

    velmora::qt::QtPorts ports;
    velmora::qt::QtSettingsStore settings;
    velmora::core::ports::Ports bundle{ports, ports, ports, ports,   ports,
                                       ports, ports, ports, settings};
    velmora::qt::QtModalHost modal;
    velmora::core::app::App core(bundle, modal, velmora::core::app::AppConfig{});
    modal.setDispatcher(core.dispatcher());
    velmora::core::views::installChannelList(core);
    velmora::core::views::installGridEditing(core);
    velmora::core::favourites::installSaveFavChannels(core);
    velmora::core::favourites::installDeleteSelection(core);
    velmora::core::favourites::installPutSelectInGroup(core);
    velmora::core::maintenance::installPrimaryKeyCheck(core);
    velmora::core::maintenance::installCompactDatabase(core);
    velmora::core::app::installSettingsCommand(core);

    velmora::qt::MainWindow window(core);
    velmora::qt::installOverlayEditing(window, core);
    velmora::qt::installGroupPickerKeys(window, core);
    ports.registerWindow(velmora::core::app::kMainFormName, &window);
    ports.setDialogParent(&window);
    if (!core.start() || ports.programEnded()) {
        return 0;
    }
    modal.setParent(&window);
    window.show();
    return QApplication::exec();
}
