// The two ways a call of the DAO-shaped interface fails.
//
// Unguarded: every operation throws DaoError on failure. The program's event dispatcher
// catches it at the event boundary, shows "Error " + number, and the abandoned command's
// changes are rolled back by not committing them.
//
// Guarded: where a command tests the outcome right after an operation, it wraps the call in
// guarded() (or uses one of the try... members), gets the Jet error number (0 when it worked)
// and goes on. Nothing else has to be cleared: the number is the whole error state.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "engine/base/status.h"

namespace velmora::engine::dao {

class DaoError : public std::exception {
public:
    DaoError(int number, std::string text) : m_number(number), m_text(std::move(text)) {}
    explicit DaoError(const Status& status) : DaoError(status.code(), status.message()) {}

    int number() const { return m_number; }
    const std::string& text() const { return m_text; }
    const char* what() const noexcept override { return m_text.c_str(); }

private:
    int m_number;
    std::string m_text;
};

// Throws a failed Status as DaoError; a successful one passes.
inline void throwIfError(const Status& status) {
    if (!status.isOk())
        throw DaoError(status);
}

template <class T>
T valueOrThrow(Result<T> result) {
    if (!result.isOk())
        throw DaoError(result.status());
    return std::move(result).value();
}

// The last guarded failure, for callers that also want the engine's text.
struct ErrorInfo {
    int number = 0;
    std::string text;
    void clear() { *this = ErrorInfo{}; }
};

// Runs f() and returns the Jet error number of a DaoError it throws, 0 when it returns.
// `info`, when given, receives the number and the text.
template <class F>
int guarded(F&& f, ErrorInfo* info = nullptr) {
    try {
        std::forward<F>(f)();
        if (info)
            info->clear();
        return 0;
    } catch (const DaoError& e) {
        if (info)
            *info = ErrorInfo{e.number(), e.text()};
        return e.number();
    }
}

}  // namespace velmora::engine::dao
