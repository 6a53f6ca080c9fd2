// Status and Result<T>: the outcome of every fallible engine call.
//
// A Status carries the Jet error number the engine would report (0 for success) and a
// message. The numbers matter beyond the engine: the program shows "Error " + number, and
// callers test for specific numbers (3022 duplicate key, 3078 unknown table, ...), so every
// failure picks the number Jet itself uses for that situation (see error_codes.h).
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace velmora::engine {

class [[nodiscard]] Status {
public:
    Status() = default;  // success

    static Status ok() { return Status(); }
    static Status error(int code, std::string message) {
        assert(code != 0);
        return Status(code, std::move(message));
    }

    bool isOk() const { return m_code == 0; }
    explicit operator bool() const { return isOk(); }
    int code() const { return m_code; }
    const std::string& message() const { return m_message; }

    // "Error 3022: The changes you requested ..." for logs and the command-line tools.
    std::string toString() const;

    // Prepends context ("page 17, table CHANNELS: ") to the message, keeping the code.
    Status withContext(const std::string& context) const;

private:
    Status(int code, std::string message) : m_code(code), m_message(std::move(message)) {}

    int m_code = 0;
    std::string m_message;
};

// Either a value or a failed Status. Constructing from a successful Status is a bug.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}        // NOLINT(google-explicit-constructor)
    Result(Status status) : m_state(std::move(status)) {  // NOLINT(google-explicit-constructor)
        assert(!std::get<Status>(m_state).isOk());
    }

    bool isOk() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return isOk(); }

    const Status& status() const {
        static const Status kOk;
        return isOk() ? kOk : std::get<Status>(m_state);
    }
    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

private:
    std::variant<T, Status> m_state;
};

}  // namespace velmora::engine

// Returns early from the enclosing function when an expression yields a failed Status.
#define VELMORA_RETURN_IF_ERROR(expr)                      \
    do {                                                   \
        ::velmora::engine::Status velmoraStatus_ = (expr); \
        if (!velmoraStatus_.isOk())                        \
            return velmoraStatus_;                         \
    } while (false)

#define VELMORA_CONCAT_INNER(a, b) a##b
#define VELMORA_CONCAT(a, b) VELMORA_CONCAT_INNER(a, b)

// VELMORA_ASSIGN_OR_RETURN(auto page, pager.read(n)); declares `page` from a Result, or
// returns its Status from the enclosing function. A declaration takes no parentheses: NOLINT.
#define VELMORA_ASSIGN_OR_RETURN(decl, expr)                      \
    auto VELMORA_CONCAT(velmoraResult_, __LINE__) = (expr);       \
    if (!VELMORA_CONCAT(velmoraResult_, __LINE__).isOk())         \
        return VELMORA_CONCAT(velmoraResult_, __LINE__).status(); \
    decl = std::move(VELMORA_CONCAT(velmoraResult_, __LINE__)).value()  // NOLINT
