// The Win32 program put together: the registry settings, the window-system ports, the event
// loop, the host of the core's own windows, the core App with the whole program installed,
// and the main window. The program's entry point and the tests that run the real windows
// build it the same way, through installFrontEnd().
#pragma once

#include <memory>
#include <string>

#include "core/app/app.h"
#include "win32/event_loop.h"
#include "win32/main_window.h"
#include "win32/modal_host.h"
#include "win32/registry_settings.h"
#include "win32/win32_ports.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

struct FrontEndOptions {
    // The registry key below HKEY_CURRENT_USER the settings live under ("Software": the
    // user's real ones).
    std::wstring settingsRoot = L"Software";
    core::app::AppConfig config;
};

class FrontEnd {
public:
    explicit FrontEnd(FrontEndOptions options);
    ~FrontEnd();
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    // Runs the start-up sequence and shows the main window. False when start-up ended the
    // program (no database); no window is shown then.
    bool start();
    // Runs the message loop until the program ends; returns its exit code.
    int run() { return m_loop->run(); }

    core::app::App& app() { return *m_app; }
    MainWindow& mainWindow() { return *m_mainWindow; }
    Win32Ports& ports() { return m_ports; }
    EventLoop& loop() { return *m_loop; }
    Win32ModalHost& modalHost() { return m_modal; }
    WindowDirectory& directory() { return m_directory; }

private:
    WindowDirectory m_directory;
    RegistrySettings m_settings;
    Win32Ports m_ports;
    Win32ModalHost m_modal;
    std::unique_ptr<core::app::App> m_app;
    std::unique_ptr<EventLoop> m_loop;
    std::unique_ptr<MainWindow> m_mainWindow;
};

// Registers the window classes, turns on the common controls and builds the program.
std::unique_ptr<FrontEnd> installFrontEnd(FrontEndOptions options = {});

}  // namespace velmora::win32
