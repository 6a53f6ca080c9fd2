// Letting pending events run. Events are handled one at a time; a handler that must see the
// effect of what it queued (a focus change, a click raised by setting a check box) before it
// goes on asks this port to run everything pending first.
#pragma once

namespace velmora::core::ports {

class EventPort {
public:
    virtual ~EventPort() = default;

    // Runs every event pending at the moment of the call, and those they queue, before it
    // returns. Safe to call from inside a handler.
    virtual void runPendingEvents() = 0;
};

}  // namespace velmora::core::ports
