#include "win32/install_front_end.h"

#include <commctrl.h>

#include "core/program/install_program.h"
#include "win32/grid_control.h"

namespace velmora::win32 {

// The ports and the modal host are made before the core, which takes them; the loop needs the
// core's dispatcher, so they are given it once the program is put together, before anything
// runs.
FrontEnd::FrontEnd(FrontEndOptions options)
    : m_settings(std::move(options.settingsRoot)),
      m_ports(m_directory),
      m_modal(m_directory, m_ports) {
    core::ports::Ports bundle{m_ports, m_ports, m_ports, m_ports, m_ports,
                              m_ports, m_ports, m_ports, m_ports, m_settings};
    m_app = core::program::installProgram(bundle, m_modal, std::move(options.config));
    m_loop = std::make_unique<EventLoop>(m_app->dispatcher(), m_directory);
    m_ports.setEventLoop(m_loop.get());
    m_modal.setEventLoop(m_loop.get());
    m_modal.setDispatcher(m_app->dispatcher());
    m_mainWindow =
        std::make_unique<MainWindow>(*m_app, m_directory, [this] { return m_ports.waitCursor(); });
}

FrontEnd::~FrontEnd() {
    m_mainWindow.reset();
    m_ports.setEventLoop(nullptr);
}

bool FrontEnd::start() {
    if (!m_app->start() || m_ports.programEnded())
        return false;
    m_mainWindow->show();
    return true;
}

std::unique_ptr<FrontEnd> installFrontEnd(FrontEndOptions options) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    GridControl::registerClass();
    return std::make_unique<FrontEnd>(std::move(options));
}

}  // namespace velmora::win32
