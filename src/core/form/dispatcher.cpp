#include "core/form/dispatcher.h"

#include <utility>

namespace velmora::core::form {

Dispatcher::Connection& Dispatcher::Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        disconnect();
        m_dispatcher = std::exchange(other.m_dispatcher, nullptr);
        m_key = std::move(other.m_key);
        m_id = other.m_id;
    }
    return *this;
}

void Dispatcher::Connection::disconnect() {
    if (m_dispatcher != nullptr)
        std::exchange(m_dispatcher, nullptr)->remove(m_key, m_id);
}

Dispatcher::Connection Dispatcher::on(const std::string& form, const std::string& control,
                                      EventKind kind, Handler handler) {
    const int id = m_nextHandlerId++;
    Key key{form, control, kind};
    m_handlers[key] = Registration{id, std::move(handler)};
    return Connection(this, std::move(key), id);
}

void Dispatcher::remove(const Key& key, int id) {
    auto it = m_handlers.find(key);
    if (it != m_handlers.end() && it->second.id == id)
        m_handlers.erase(it);
}

bool Dispatcher::hasHandler(const std::string& form, const std::string& control,
                            EventKind kind) const {
    return m_handlers.count({form, control, kind}) != 0;
}

void Dispatcher::run(const Event& event) {
    auto it = m_handlers.find({event.form, event.control, event.kind});
    if (it != m_handlers.end()) {
        // Copy: a handler may re-register handlers (a window built while it runs).
        Handler handler = it->second.handler;
        handler(event);
    }
}

void Dispatcher::dispatch(const Event& event) {
    if (m_depth > 0) {
        run(event);
        return;
    }
    runTopLevel([&] { run(event); });
}

void Dispatcher::runTopLevel(const std::function<void()>& body) {
    ++m_depth;
    try {
        if (m_beforeCommand)
            m_beforeCommand();
        body();
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
    // Copy: an observer may remove itself.
    const auto observers = m_focusObservers;
    for (const auto& [id, observer] : observers) {
        observer(form, control);
    }
}

void Dispatcher::userFocus(const std::string& form, const std::string& control) {
    if (form == m_focusForm && control == m_focusControl)
        return;
    if (m_depth > 0) {
        setFocus(form, control);
        return;
    }
    runTopLevel([&] { setFocus(form, control); });
}

int Dispatcher::addFocusObserver(FocusObserver observer) {
    const int id = m_nextObserverId++;
    m_focusObservers[id] = std::move(observer);
    return id;
}

void Dispatcher::removeFocusObserver(int id) {
    m_focusObservers.erase(id);
}

}  // namespace velmora::core::form
