#include "win32/drag_tracker.h"

#include <cstdlib>

#include "win32/form_windows.h"

namespace velmora::win32 {

namespace {

// Only labels take drops, as the drag and drop window's group labels do.
bool takesDrops(const ControlTag* tag) {
    if (tag == nullptr || tag->owner == nullptr || tag->owner->detached() || tag->control.empty())
        return false;
    const core::form::Form& form = tag->owner->form();
    return form.hasControl(tag->control) &&
           form.control(tag->control).kind == core::form::ControlKind::Label;
}

}  // namespace

void DragTracker::arm(const std::string& form, const std::string& control) {
    if (m_state == State::Dragging)
        end(false);
    m_state = State::Armed;
    m_sourceForm = form;
    m_sourceControl = control;
    GetCursorPos(&m_origin);
}

HWND DragTracker::sourceWindow() const {
    if (FormWindows* windows = m_directory.form(m_sourceForm)) {
        if (HWND control = windows->window(m_sourceControl))
            return control;
    }
    return m_directory.topLevel(m_sourceForm);
}

void DragTracker::send(const ControlTag& target, core::form::EventKind kind) {
    core::form::Event e;
    e.form = target.form;
    e.control = target.control;
    e.kind = kind;
    e.sourceForm = m_sourceForm;
    e.sourceControl = m_sourceControl;
    m_dispatcher.dispatch(e);
}

void DragTracker::moveTo(POINT screen) {
    HWND under = WindowFromPoint(screen);
    // A label that is disabled or without SS_NOTIFY may hand the point to its parent: find
    // the child of that window under the point.
    if (under != nullptr) {
        POINT client = screen;
        ScreenToClient(under, &client);
        if (HWND child = ChildWindowFromPointEx(under, client, CWP_SKIPINVISIBLE))
            under = child;
    }
    const ControlTag* tag = WindowDirectory::tagOf(under);
    HWND target = takesDrops(tag) ? under : nullptr;
    if (target == m_over)
        return;
    if (m_over != nullptr)
        send(m_overTag, core::form::EventKind::DragLeave);
    m_over = target;
    if (m_over != nullptr) {
        m_overTag = *tag;
        send(m_overTag, core::form::EventKind::DragEnter);
    }
}

void DragTracker::end(bool drop) {
    const State was = m_state;
    m_state = State::Idle;
    if (was == State::Dragging && GetCapture() == sourceWindow())
        ReleaseCapture();
    if (m_over != nullptr) {
        const ControlTag target = m_overTag;
        m_over = nullptr;
        send(target, drop ? core::form::EventKind::DragDrop : core::form::EventKind::DragLeave);
    }
    if (was == State::Dragging)
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

bool DragTracker::filter(const MSG& message) {
    if (m_state == State::Idle)
        return false;
    switch (message.message) {
        case WM_MOUSEMOVE: {
            POINT screen{};
            GetCursorPos(&screen);
            if ((message.wParam & MK_LBUTTON) == 0) {
                end(false);
                return false;
            }
            if (m_state == State::Armed) {
                if (std::abs(screen.x - m_origin.x) < GetSystemMetrics(SM_CXDRAG) &&
                    std::abs(screen.y - m_origin.y) < GetSystemMetrics(SM_CYDRAG))
                    return false;
                m_state = State::Dragging;
                if (HWND source = sourceWindow())
                    SetCapture(source);
            }
            SetCursor(LoadCursorW(nullptr, m_over != nullptr ? IDC_HAND : IDC_NO));
            moveTo(screen);
            return true;
        }
        case WM_LBUTTONUP:
            if (m_state == State::Dragging) {
                POINT screen{};
                GetCursorPos(&screen);
                moveTo(screen);
                end(true);
                return true;
            }
            end(false);
            return false;
        case WM_KEYDOWN:
            if (m_state == State::Dragging && message.wParam == VK_ESCAPE) {
                end(false);
                return true;
            }
            return false;
        case WM_CANCELMODE:
        case WM_RBUTTONDOWN:
            end(false);
            return false;
        default:
            return false;
    }
}

}  // namespace velmora::win32
