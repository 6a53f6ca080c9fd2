#include "win32/event_loop.h"

#include "core/app/main_form.h"
#include "core/app/main_shortcuts.h"
#include "win32/form_windows.h"
#include "win32/grid_control.h"

namespace velmora::win32 {

namespace {

using core::form::ControlKind;
using core::form::EventKind;

bool isFunctionKey(WPARAM key) {
    return key >= VK_F1 && key <= VK_F24;
}

}  // namespace

EventLoop::EventLoop(core::form::Dispatcher& dispatcher, WindowDirectory& directory)
    : m_dispatcher(dispatcher), m_directory(directory), m_drag(dispatcher, directory) {
    m_focusObserver =
        m_dispatcher.addFocusObserver([this](const std::string& form, const std::string& control) {
            followCoreFocus(form, control);
        });
}

EventLoop::~EventLoop() {
    m_dispatcher.removeFocusObserver(m_focusObserver);
}

void EventLoop::followCoreFocus(const std::string& form, const std::string& control) {
    FormWindows* windows = m_directory.form(form);
    HWND target = windows != nullptr ? windows->window(control) : nullptr;
    if (target == nullptr || !IsWindowVisible(target) || GetFocus() == target)
        return;
    const bool was = m_movingFocus;
    m_movingFocus = true;
    SetFocus(target);
    m_movingFocus = was;
    m_lastFocus = GetFocus();
}

void EventLoop::noteFocus() {
    HWND now = GetFocus();
    if (now == m_lastFocus)
        return;
    m_lastFocus = now;
    if (m_movingFocus || now == nullptr)
        return;
    const ControlTag* tag = WindowDirectory::tagOf(now);
    if (tag == nullptr || tag->owner == nullptr || tag->owner->detached() || tag->owner->applying())
        return;
    if (tag->owner->form().control(tag->control).kind == ControlKind::Grid)
        return;  // the grid tells its model itself
    m_dispatcher.userFocus(tag->form, tag->control);
}

bool EventLoop::filterKeys(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return false;
    const ControlTag* tag = WindowDirectory::tagOf(message.hwnd);
    if (tag == nullptr || tag->owner == nullptr || tag->owner->detached())
        return false;
    const core::form::Form& form = tag->owner->form();
    const WPARAM key = message.wParam;
    const int shift = GridControl::heldModifiers();
    const ControlKind kind = form.control(tag->control).kind;

    auto windowKey = [&] {
        core::form::Event e;
        e.form = form.name();
        e.kind = EventKind::KeyDown;
        e.keyCode = static_cast<int>(key);
        e.shift = shift;
        m_dispatcher.dispatch(e);
        return true;
    };

    if (form.name() == core::app::kMainFormName) {
        if (core::app::findMainShortcut(static_cast<int>(key), shift) != nullptr)
            return windowKey();
    } else if (kind != ControlKind::Grid &&
               !m_dispatcher.hasHandler(form.name(), tag->control, EventKind::KeyDown)) {
        const bool windowHandles = m_dispatcher.hasHandler(form.name(), "", EventKind::KeyDown);
        const bool editing = kind == ControlKind::TextBox || kind == ControlKind::ListBox;
        if (windowHandles && (key == VK_RETURN || key == VK_ESCAPE || isFunctionKey(key) ||
                              (!editing && key != VK_TAB && key != VK_SPACE)))
            return windowKey();
        if (!windowHandles && key == VK_ESCAPE) {
            PostMessageW(GetAncestor(message.hwnd, GA_ROOT), WM_CLOSE, 0, 0);
            return true;
        }
    }
    if (key == VK_TAB && (shift & ~core::form::kShiftMask) == 0) {
        HWND surface = tag->owner->surface();
        if (HWND next =
                GetNextDlgTabItem(surface, message.hwnd, (shift & core::form::kShiftMask) != 0))
            SetFocus(next);
        return true;
    }
    return false;
}

bool EventLoop::handle(MSG& message) {
    if (message.message == WM_QUIT) {
        m_quitting = true;
        m_exitCode = static_cast<int>(message.wParam);
        return false;
    }
    if (!m_drag.filter(message) && !filterKeys(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    noteFocus();
    return true;
}

int EventLoop::run() {
    runUntil([] { return false; });
    return m_exitCode;
}

bool EventLoop::runUntil(const std::function<bool()>& done) {
    MSG message;
    while (!m_quitting && !done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (!handle(message))
            break;
    }
    if (m_quitting) {
        PostQuitMessage(m_exitCode);  // for the loops outside this one
        return false;
    }
    return true;
}

void EventLoop::runPending() {
    MSG message;
    while (!m_quitting && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!handle(message)) {
            PostQuitMessage(m_exitCode);
            break;
        }
    }
}

}  // namespace velmora::win32
