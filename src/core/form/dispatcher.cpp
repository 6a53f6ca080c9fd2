#include "core/form/dispatcher.h"

namespace velmora::core::form {

void Dispatcher::on(const std::string& form, const std::string& control, EventKind kind,
                    Handler handler) {
    m_handlers[{form, control, kind}] = std::move(handler);
}

bool Dispatcher::hasHandler(const std::string& form, const std::string& control,
                            EventKind kind) const {
    return m_handlers.count({form, control, kind}) != 0;
}

void Dispatcher::run(const Event& event) {
    auto it = m_handlers.find({event.form, event.control, event.kind});
    if (it != m_handlers.end()) {
        // Copy: a handler may re-register handlers (a window built while it runs).
        Handler handler = it->second;
        handler(event);
    }
}

void Dispatcher::dispatch(const Event& event) {
    if (m_depth > 0) {
        run(event);
        return;
    }
    ++m_depth;
    try {
        run(event);
        runPending();
        if (m_afterCommand)
            m_afterCommand();
    } catch (...) {
        m_queue.clear();
        --m_depth;
        if (m_abandon)
            m_abandon(std::current_exception());
        return;
    }
    --m_depth;
}

void Dispatcher::post(Event event) {
    m_queue.push_back(std::move(event));
}

void Dispatcher::runPending() {
    while (!m_queue.empty()) {
        Event next = std::move(m_queue.front());
        m_queue.pop_front();
        run(next);
    }
}

void Dispatcher::setFocus(const std::string& form, const std::string& control) {
    if (form == m_focusForm && control == m_focusControl)
        return;
    if (!m_focusControl.empty()) {
        Event lost;
        lost.form = m_focusForm;
        lost.control = m_focusControl;
        lost.kind = EventKind::LostFocus;
        post(lost);
    }
    m_focusForm = form;
    m_focusControl = control;
    Event got;
    got.form = form;
    got.control = control;
    got.kind = EventKind::GotFocus;
    post(got);
}

}  // namespace velmora::core::form
