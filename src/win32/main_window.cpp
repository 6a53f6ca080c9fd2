#include "win32/main_window.h"

#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "win32/wide_text.h"

namespace velmora::win32 {

namespace {

// Posted after a paint while the core waits for its first one: the first paint loads the
// lists and may show message boxes, which must not run inside WM_PAINT.
constexpr UINT kFirstPaint = WM_APP + 10;

}  // namespace

MainWindow::MainWindow(core::app::App& app, WindowDirectory& directory,
                       std::function<bool()> waitCursor)
    : m_app(app), m_host(WS_OVERLAPPEDWINDOW, 0, nullptr, std::move(waitCursor)) {
    directory.registerTopLevel(core::app::kMainFormName, m_host.hwnd());
    m_controls =
        std::make_unique<FormWindows>(app.mainForm(), app.dispatcher(), directory, m_host.hwnd(),
                                      std::map<std::string, core::grid::GridModel*>{
                                          {core::app::control::kMainGrid, &app.grid()},
                                          {core::app::control::kPasteGrid, &app.pasteGrid()}});
    m_host.setControls(m_controls.get());
    m_controls->setWindowChangedHandler([this] { applyWindow(); });
    m_host.setHook(
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return message(msg, wParam, lParam); });
    m_app.setRepaintRequest([this] {
        InvalidateRect(m_host.hwnd(), nullptr, TRUE);
        schedulePaint();
    });
    applyWindow();
}

MainWindow::~MainWindow() {
    m_app.setRepaintRequest({});
    m_host.setHook({});
    m_host.setControls(nullptr);
    m_controls.reset();
}

void MainWindow::show() {
    ShowWindow(m_host.hwnd(), SW_SHOW);
    UpdateWindow(m_host.hwnd());
}

void MainWindow::applyWindow() {
    const core::form::Form& f = m_app.mainForm();
    m_controls->applyGuarded([&] {
        const std::wstring title = widen(f.title());
        wchar_t now[256] = {};
        GetWindowTextW(m_host.hwnd(), now, 256);
        if (title != now)
            SetWindowTextW(m_host.hwnd(), title.c_str());
        const core::form::TwipRect wanted = f.geometry();
        const core::form::TwipRect shown = m_host.outerTwips();
        const int dpi = m_controls->dpi();
        // Pixels are coarser than twips: only a change the pixels show moves the window.
        if (toPixels(wanted.left, dpi) != toPixels(shown.left, dpi) ||
            toPixels(wanted.top, dpi) != toPixels(shown.top, dpi) ||
            toPixels(wanted.width, dpi) != toPixels(shown.width, dpi) ||
            toPixels(wanted.height, dpi) != toPixels(shown.height, dpi))
            m_host.place(wanted);
    });
}

void MainWindow::schedulePaint() {
    if (m_paintScheduled || !m_app.state().FirstPaintPending)
        return;
    m_paintScheduled = true;
    PostMessageW(m_host.hwnd(), kFirstPaint, 0, 0);
}

void MainWindow::resized() {
    if (m_controls->applying() || IsIconic(m_host.hwnd()))
        return;
    // A side whose pixel size did not change keeps the core's twips, so showing the window
    // at its stored size never reads back as growth.
    const core::form::TwipRect g = m_app.mainForm().geometry();
    const core::form::TwipRect now = m_host.outerTwips();
    const int dpi = m_controls->dpi();
    core::form::Event resize;
    resize.form = core::app::kMainFormName;
    resize.kind = core::form::EventKind::Resize;
    resize.width = toPixels(now.width, dpi) == toPixels(g.width, dpi) ? g.width : now.width;
    resize.height = toPixels(now.height, dpi) == toPixels(g.height, dpi) ? g.height : now.height;
    if (resize.width == g.width && resize.height == g.height)
        return;
    m_app.dispatcher().dispatch(resize);
}

void MainWindow::moved() {
    if (m_controls->applying() || IsIconic(m_host.hwnd()))
        return;
    core::form::TwipRect g = m_app.mainForm().geometry();
    const core::form::TwipRect now = m_host.outerTwips();
    const int dpi = m_controls->dpi();
    if (toPixels(now.left, dpi) != toPixels(g.left, dpi))
        g.left = now.left;
    if (toPixels(now.top, dpi) != toPixels(g.top, dpi))
        g.top = now.top;
    m_controls->applyGuarded([&] { m_app.mainForm().setGeometry(g); });
}

std::optional<LRESULT> MainWindow::message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            const LRESULT result = DefWindowProcW(m_host.hwnd(), message, wParam, lParam);
            schedulePaint();
            return result;
        }
        case kFirstPaint: {
            m_paintScheduled = false;
            if (!m_app.state().FirstPaintPending)
                return 0;
            core::form::Event paint;
            paint.form = core::app::kMainFormName;
            paint.kind = core::form::EventKind::Paint;
            m_app.dispatcher().dispatch(paint);
            if (!m_app.state().FirstPaintPending && m_listsLoaded)
                m_listsLoaded();
            return 0;
        }
        case WM_SIZE:
            resized();
            return 0;
        case WM_MOVE:
            moved();
            return 0;
        case WM_CLOSE:
            if (m_app.requestClose())
                DestroyWindow(m_host.hwnd());
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            (void)lParam;
            return std::nullopt;
    }
}

}  // namespace velmora::win32
