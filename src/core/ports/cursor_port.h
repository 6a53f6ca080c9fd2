// The busy pointer. Commands that touch many rows show the wait pointer for their whole run;
// WaitCursor is the guard that shows it and restores the normal pointer on every way out of
// the command, including an abandoned one.
#pragma once

namespace velmora::core::ports {

class CursorPort {
public:
    virtual ~CursorPort() = default;

    // Shows the wait pointer over the whole application (true) or the normal one (false).
    // Not counted: one call with false restores the normal pointer whatever came before.
    virtual void setWaitCursor(bool on) = 0;
};

// Shows the wait pointer for its lifetime. Move-only, so exactly one guard restores.
class WaitCursor {
public:
    explicit WaitCursor(CursorPort& port);
    ~WaitCursor();
    WaitCursor(WaitCursor&& other) noexcept;
    WaitCursor& operator=(WaitCursor&&) = delete;
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Restores the normal pointer now (a command that ends its busy part early).
    void release();

private:
    CursorPort* m_port;
};

}  // namespace velmora::core::ports
