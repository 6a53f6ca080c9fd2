// Velmora's entry point. The program reads only its settings; it takes no command line.
#include <QApplication>

#include <chrono>
#include <memory>

#include "core/app/main_form.h"
#include "core/program/install_program.h"
#include "qt/form_dialog.h"
#include "qt/install_front_end.h"
#include "qt/main_window.h"
#include "qt/qt_ports.h"
#include "qt/qt_settings_store.h"
#include "qt/startup_timing.h"

int main(int argc, char* argv[]) {
    const auto started = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));

    velmora::qt::QtPorts ports;
    velmora::qt::QtSettingsStore settings;
    velmora::core::ports::Ports bundle{ports, ports, ports, ports, ports,
                                       ports, ports, ports, ports, settings};
    velmora::qt::QtModalHost modal;
    const std::unique_ptr<velmora::core::app::App> program =
        velmora::core::program::installProgram(bundle, modal, velmora::core::app::AppConfig{});
    velmora::core::app::App& core = *program;
    modal.setDispatcher(core.dispatcher());
    modal.setWindowRegistry(
        [&ports](const std::string& name, QWidget* window) { ports.registerWindow(name, window); });

    velmora::qt::MainWindow window(core);
    velmora::qt::installFrontEnd(window, core);
    velmora::qt::installStartupTiming(window, core, started);
    ports.registerWindow(velmora::core::app::kMainFormName, &window);
    ports.setDialogParent(&window);
    if (!core.start() || ports.programEnded()) {
        return 0;
    }
    modal.setParent(&window);
    window.show();
    return QApplication::exec();
}
