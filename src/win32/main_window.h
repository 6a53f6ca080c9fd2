// The main window ("Form1"): a thin shell around the core App. It builds its controls from
// Form1's data, sends the first paint, resizing and closing to the core, and keeps the
// window's place and size in step with the core's geometry (outer size in twips, as the
// settings hold it).
#pragma once

#include <memory>
#include <optional>

#include "core/app/app.h"
#include "win32/form_windows.h"
#include "win32/host_window.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

class MainWindow {
public:
    // `waitCursor` tells whether the wait cursor is on.
    MainWindow(core::app::App& app, WindowDirectory& directory, std::function<bool()> waitCursor);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return m_host.hwnd(); }
    FormWindows& controls() { return *m_controls; }
    void show();
    // Told each time a first paint has loaded the lists (the channel list is in the grid, not
    // yet drawn).
    void setListsLoaded(std::function<void()> listener) { m_listsLoaded = std::move(listener); }

private:
    std::optional<LRESULT> message(UINT message, WPARAM wParam, LPARAM lParam);
    void applyWindow();
    void schedulePaint();
    void resized();
    void moved();

    core::app::App& m_app;
    HostWindow m_host;
    std::unique_ptr<FormWindows> m_controls;
    bool m_paintScheduled = false;
    std::function<void()> m_listsLoaded;
};

}  // namespace velmora::win32
