#include "win32/modal_host.h"

#include <algorithm>

#include "core/app/main_form.h"
#include "core/form/control_design.h"
#include "win32/wide_text.h"
#include "win32/window_placement.h"

namespace velmora::win32 {

namespace {

// The room a window leaves between its last control and its edge, in twips.
constexpr int kEdgeRoom = 120;

void setTitle(HWND hwnd, const std::string& caption) {
    SetWindowTextW(hwnd, widen(caption).c_str());
}

// A modeless window is worked together with the main window (the drag and drop window's
// labels take the grid's rows): it opens beside it, not where the system puts new windows.
void placeBeside(HWND window, HWND main) {
    RECT mainRect{};
    RECT own{};
    if (main == nullptr || !IsWindowVisible(main) || !GetWindowRect(main, &mainRect) ||
        !GetWindowRect(window, &own))
        return;
    moveWindowTo(window, placedBeside(own, mainRect, workAreaOf(main)));
}

}  // namespace

Win32ModalHost::~Win32ModalHost() {
    m_retired.clear();
    m_modeless.clear();
}

std::function<bool()> Win32ModalHost::waitCursor() const {
    return [ports = &m_ports] { return ports->waitCursor(); };
}

void Win32ModalHost::dropRetired() {
    m_retired.clear();
}

void Win32ModalHost::showModal(core::form::Form& form, const core::app::ModalGrids& grids) {
    dropRetired();
    HWND owner = m_ports.dialogOwner();
    HostWindow host(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, owner, waitCursor());
    FormWindows controls(form, *m_dispatcher, m_directory, host.hwnd(), grids);
    host.setControls(&controls);
    m_directory.registerTopLevel(form.name(), host.hwnd());
    auto applyWindow = [&] {
        setTitle(host.hwnd(), form.caption());
        // The core places its windows in screen twips, as it places the main window.
        host.place(form.geometry());
        InvalidateRect(host.hwnd(), nullptr, TRUE);
    };
    controls.setWindowChangedHandler(applyWindow);
    applyWindow();
    host.setHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_CLOSE)
            return std::nullopt;
        // Closed by the window's close box or Escape.
        core::form::Event unload;
        unload.form = form.name();
        unload.kind = core::form::EventKind::Unload;
        m_dispatcher->dispatch(unload);
        form.setVisible(false);
        return 0;
    });
    if (form.isVisible()) {
        if (owner != nullptr)
            EnableWindow(owner, FALSE);
        ShowWindow(host.hwnd(), SW_SHOW);
        controls.focusControl();
        m_loop->runUntil([&] { return !form.isVisible(); });
        // The owner comes back before this window goes, so it is the one activated.
        if (owner != nullptr)
            EnableWindow(owner, TRUE);
        ShowWindow(host.hwnd(), SW_HIDE);
        if (owner != nullptr)
            SetActiveWindow(owner);
    }
    host.setHook({});
    host.setControls(nullptr);
    m_directory.forgetTopLevel(form.name());
}

void Win32ModalHost::showModeless(core::form::Form& form) {
    dropRetired();
    auto it = m_modeless.find(form.name());
    if (it == m_modeless.end()) {
        Shown shown;
        shown.host =
            std::make_unique<HostWindow>(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                         WS_EX_TOOLWINDOW, nullptr, waitCursor());
        HostWindow* host = shown.host.get();
        shown.controls =
            std::make_unique<FormWindows>(form, *m_dispatcher, m_directory, host->hwnd());
        FormWindows* controls = shown.controls.get();
        host->setControls(controls);
        auto applyWindow = [host, controls] {
            if (controls->detached())
                return;
            const core::form::Form& f = controls->form();
            setTitle(host->hwnd(), f.caption());
            // At least as large as the visible controls need: labels sized from the
            // system's font may reach beyond the design.
            core::form::TwipRect outer = f.geometry();
            for (const core::form::Control& c : f.controls()) {
                if (!c.visible || !c.container.empty())
                    continue;
                outer.width = std::max(outer.width, c.rect.left + c.rect.width + kEdgeRoom +
                                                        core::form::kDialogFrameWidth);
                outer.height = std::max(outer.height, c.rect.top + c.rect.height + kEdgeRoom +
                                                          core::form::kDialogFrameHeight);
            }
            // The window keeps its place (beside the main window when it opened, then where the
            // user moved it): only its size follows the form.
            RECT now{};
            GetWindowRect(host->hwnd(), &now);
            const int dpi = windowDpi(host->hwnd());
            outer.left = toTwips(now.left, dpi);
            outer.top = toTwips(now.top, dpi);
            host->place(outer);
        };
        controls->setWindowChangedHandler(applyWindow);
        applyWindow();
        placeBeside(host->hwnd(), m_directory.topLevel(core::app::kMainFormName));
        const std::string name = form.name();
        host->setHook([this, name](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != WM_CLOSE)
                return std::nullopt;
            // The core decides: its Unload handler closes the window through the host.
            core::form::Event unload;
            unload.form = name;
            unload.kind = core::form::EventKind::Unload;
            m_dispatcher->dispatch(unload);
            return 0;
        });
        m_directory.registerTopLevel(form.name(), host->hwnd());
        it = m_modeless.emplace(form.name(), std::move(shown)).first;
    }
    HWND hwnd = it->second.host->hwnd();
    ShowWindow(hwnd, SW_SHOW);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
}

void Win32ModalHost::closeModeless(core::form::Form& form) {
    const auto it = m_modeless.find(form.name());
    if (it == m_modeless.end())
        return;
    // The form goes right after this; the controls stop following it now, the window itself
    // once the message that closed it has returned.
    it->second.controls->detach();
    ShowWindow(it->second.host->hwnd(), SW_HIDE);
    m_directory.forgetTopLevel(form.name());
    m_retired.push_back(std::move(it->second));
    m_modeless.erase(it);
}

HWND Win32ModalHost::modelessWindow(const std::string& name) const {
    const auto it = m_modeless.find(name);
    return it == m_modeless.end() ? nullptr : it->second.host->hwnd();
}

}  // namespace velmora::win32
