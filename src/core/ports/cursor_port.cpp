// The wait-pointer guard.
#include "core/ports/cursor_port.h"

#include <utility>

namespace velmora::core::ports {

WaitCursor::WaitCursor(CursorPort& port) : m_port(&port) {
    m_port->setWaitCursor(true);
}

WaitCursor::WaitCursor(WaitCursor&& other) noexcept
    : m_port(std::exchange(other.m_port, nullptr)) {}

WaitCursor::~WaitCursor() {
    release();
}

void WaitCursor::release() {
    if (m_port != nullptr) {
        std::exchange(m_port, nullptr)->setWaitCursor(false);
    }
}

}  // namespace velmora::core::ports
