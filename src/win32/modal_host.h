// The Win32 host of the core's own windows. A modal window (the language window, Settings,
// the add-record window) is a fixed dialog window built from its Form and owned by the window
// that was active, which is disabled meanwhile; a loop of its own runs until the core hides
// the form. A modeless window (the drag and drop window) is a small tool window shown beside
// the main window, as large as its visible controls need. Closing either by its close box
// sends the form's Unload event first.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app/modal_host.h"
#include "core/form/dispatcher.h"
#include "win32/event_loop.h"
#include "win32/form_windows.h"
#include "win32/host_window.h"
#include "win32/win32_ports.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

class Win32ModalHost : public core::app::ModalHost {
public:
    Win32ModalHost(WindowDirectory& directory, Win32Ports& ports)
        : m_directory(directory), m_ports(ports) {}
    ~Win32ModalHost() override;

    // The dispatcher is the core's, which exists only after the core was given this host.
    void setDispatcher(core::form::Dispatcher& dispatcher) { m_dispatcher = &dispatcher; }
    // The loop a modal window's messages run in; likewise made after the core.
    void setEventLoop(EventLoop* loop) { m_loop = loop; }

    void showModal(core::form::Form& form, const core::app::ModalGrids& grids) override;
    void showModeless(core::form::Form& form) override;
    void closeModeless(core::form::Form& form) override;

    // The window shown for a modeless form, or nullptr.
    HWND modelessWindow(const std::string& name) const;

private:
    struct Shown {
        std::unique_ptr<HostWindow> host;
        std::unique_ptr<FormWindows> controls;
    };
    std::function<bool()> waitCursor() const;
    // Windows closed while one of their own messages may still be running go at the next
    // chance.
    void dropRetired();

    WindowDirectory& m_directory;
    EventLoop* m_loop = nullptr;
    Win32Ports& m_ports;
    core::form::Dispatcher* m_dispatcher = nullptr;
    std::map<std::string, Shown> m_modeless;
    std::vector<Shown> m_retired;
};

}  // namespace velmora::win32
