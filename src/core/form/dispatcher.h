// The one place events are handled: one at a time, in order, as on a single-threaded window
// system.
//
// A top-level event (a click, a key, a paint) runs its handler, then every event the handler
// queued (focus changes, clicks raised by setting a check box from code), one at a time. A
// handler that must see the effect of a queued event before it goes on calls runPending().
// When the top-level event and its queue are done, the after-command hook runs (the program
// commits the database there), so every command is one atomic change.
//
// A handler that fails throws; the exception unwinds to the top-level dispatch, which drops
// the rest of the queue and hands the error to the abandon hook (the program shows the error,
// restores the pointer and rolls the database back). No exception leaves dispatch().
#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "core/form/event.h"

namespace velmora::core::form {

class Dispatcher {
public:
    using Handler = std::function<void(const Event&)>;
    using Key = std::tuple<std::string, std::string, EventKind>;

    // A registered handler's lifetime: the handler is removed when its Connection goes away,
    // unless a later registration replaced it already. keep() hands it to the dispatcher for
    // good, for the handlers of the main window that live as long as the program.
    class [[nodiscard]] Connection {
    public:
        Connection() = default;
        Connection(Dispatcher* dispatcher, Key key, int id)
            : m_dispatcher(dispatcher), m_key(std::move(key)), m_id(id) {}
        Connection(Connection&& other) noexcept { *this = std::move(other); }
        Connection& operator=(Connection&& other) noexcept;
        Connection(const Connection&) = delete;
        Connection& operator=(const Connection&) = delete;
        ~Connection() { disconnect(); }

        void keep() { m_dispatcher = nullptr; }
        void disconnect();

    private:
        Dispatcher* m_dispatcher = nullptr;
        Key m_key;
        int m_id = 0;
    };

    // Registers the handler for one form, control ("" for the window) and kind; replaces an
    // earlier one.
    Connection on(const std::string& form, const std::string& control, EventKind kind,
                  Handler handler);

    // Handles a top-level event (from the front end or a test). Re-entrant calls, made while a
    // handler runs (a modal window's own events), are handled at once without the hooks.
    void dispatch(const Event& event);

    // Queues an event to run after the current handler.
    void post(Event event);

    // Runs every queued event now.
    void runPending();

    // Moves the focus: queues LostFocus for the old control and GotFocus for the new one.
    void setFocus(const std::string& form, const std::string& control);
    const std::string& focusForm() const { return m_focusForm; }
    const std::string& focusControl() const { return m_focusControl; }

    // The user moved the focus (the front end saw it happen): records it as setFocus does
    // and runs the focus events as one top-level event, or, inside a handler, leaves them
    // queued. Nothing happens when the control has the focus already.
    void userFocus(const std::string& form, const std::string& control);

    // Told of every change of the focus record, so a front end can move its own focus to
    // the control the core chose. Not owned; remove it before it goes away.
    using FocusObserver = std::function<void(const std::string& form, const std::string& control)>;
    int addFocusObserver(FocusObserver observer);
    void removeFocusObserver(int id);

    // Runs before each top-level event (the program notes what the command starts from).
    void setBeforeCommand(std::function<void()> hook) { m_beforeCommand = std::move(hook); }
    void setAfterCommand(std::function<void()> hook) { m_afterCommand = std::move(hook); }
    void setAbandonHook(std::function<void(std::exception_ptr)> hook) {
        m_abandon = std::move(hook);
    }

    bool isDispatching() const { return m_depth > 0; }
    bool hasHandler(const std::string& form, const std::string& control, EventKind kind) const;

private:
    void run(const Event& event);
    // Runs `body`, the queue and the after-command hook as one top-level event.
    void runTopLevel(const std::function<void()>& body);

    struct Registration {
        int id = 0;
        Handler handler;
    };
    // Removes the handler under `key` when it is still the registration `id`.
    void remove(const Key& key, int id);

    std::map<Key, Registration> m_handlers;
    int m_nextHandlerId = 1;
    std::deque<Event> m_queue;
    std::string m_focusForm;
    std::string m_focusControl;
    std::function<void()> m_beforeCommand;
    std::function<void()> m_afterCommand;
    std::function<void(std::exception_ptr)> m_abandon;
    int m_depth = 0;
    std::map<int, FocusObserver> m_focusObservers;
    int m_nextObserverId = 1;
};

}  // namespace velmora::core::form
