// A top-level window that carries a form's controls on its client area: the main window, a
// modal window or a modeless one. It passes its controls' messages to their FormWindows, keeps
// the wait cursor while the core shows it, lays the controls out anew when the window moves to
// a monitor of another DPI, and hands every other message to a hook of its owner first.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "core/form/control.h"

namespace velmora::win32 {

class FormWindows;

inline constexpr wchar_t kHostClassName[] = L"VelmoraWindow";

class HostWindow {
public:
    // A hook answers a message itself (a value) or lets the window go on (nothing).
    using Hook = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

    // `waitCursor` tells whether the wait cursor is on; `owner` may be nullptr.
    HostWindow(DWORD style, DWORD exStyle, HWND owner, std::function<bool()> waitCursor);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    void setHook(Hook hook) { m_hook = std::move(hook); }
    void setControls(FormWindows* controls) { m_controls = controls; }

    // Places the window so that its client area is `outer` less the frame and caption the
    // core's geometry counts in (core/form/control_design.h), at the window's DPI.
    void place(const core::form::TwipRect& outer);
    // The core's outer size of a client area in pixels, in twips.
    core::form::TwipRect outerTwips() const;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    Hook m_hook;
    FormWindows* m_controls = nullptr;
    std::function<bool()> m_waitCursor;
    HWND m_savedFocus = nullptr;  // the control that had the focus when the window went inactive
};

}  // namespace velmora::win32
