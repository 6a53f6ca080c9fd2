#include "win32/host_window.h"

#include "core/form/control_design.h"
#include "win32/form_windows.h"
#include "win32/screen_units.h"

namespace velmora::win32 {

namespace {

void registerHostClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        wc.hIconSm = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
        wc.lpszClassName = kHostClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

HostWindow::HostWindow(DWORD style, DWORD exStyle, HWND owner, std::function<bool()> waitCursor)
    : m_waitCursor(std::move(waitCursor)) {
    registerHostClass();
    m_hwnd = CreateWindowExW(exStyle, kHostClassName, L"", style | WS_CLIPCHILDREN, CW_USEDEFAULT,
                             CW_USEDEFAULT, 100, 100, owner, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindow::windowProc));
}

HostWindow::~HostWindow() {
    if (m_hwnd != nullptr && IsWindow(m_hwnd)) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

LRESULT CALLBACK HostWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->m_hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

void HostWindow::place(const core::form::TwipRect& outer) {
    const int dpi = windowDpi(m_hwnd);
    RECT rect{0, 0, toPixels(outer.width - core::form::kDialogFrameWidth, dpi),
              toPixels(outer.height - core::form::kDialogFrameHeight, dpi)};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)));
    SetWindowPos(m_hwnd, nullptr, toPixels(outer.left, dpi), toPixels(outer.top, dpi),
                 rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

core::form::TwipRect HostWindow::outerTwips() const {
    const int dpi = windowDpi(m_hwnd);
    RECT client{};
    GetClientRect(m_hwnd, &client);
    RECT window{};
    GetWindowRect(m_hwnd, &window);
    return {toTwips(window.left, dpi), toTwips(window.top, dpi),
            toTwips(client.right, dpi) + core::form::kDialogFrameWidth,
            toTwips(client.bottom, dpi) + core::form::kDialogFrameHeight};
}

LRESULT HostWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hook) {
        if (const std::optional<LRESULT> answer = m_hook(message, wParam, lParam))
            return *answer;
    }
    if (m_controls != nullptr) {
        LRESULT result = 0;
        if (m_controls->handleSurfaceMessage(message, wParam, lParam, result))
            return result;
    }
    switch (message) {
        case WM_SETCURSOR:
            if (m_waitCursor && m_waitCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            // As a dialog does: the control that had the focus gets it back on return.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                m_savedFocus = focus != nullptr && IsChild(m_hwnd, focus) ? focus : nullptr;
            }
            break;
        case WM_SETFOCUS:
            // The window itself takes no keys: its controls do.
            if (m_savedFocus != nullptr && IsWindow(m_savedFocus) &&
                IsChild(m_hwnd, m_savedFocus) && IsWindowVisible(m_savedFocus))
                SetFocus(m_savedFocus);
            else if (m_controls != nullptr)
                m_controls->focusControl();
            return 0;
        case WM_DPICHANGED: {
            if (m_controls != nullptr)
                m_controls->setDpi(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

}  // namespace velmora::win32
