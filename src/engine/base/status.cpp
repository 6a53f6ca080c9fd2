#include "engine/base/status.h"

namespace velmora::engine {

std::string Status::toString() const {
    if (isOk())
        return "ok";
    return "Error " + std::to_string(m_code) + ": " + m_message;
}

Status Status::withContext(const std::string& context) const {
    if (isOk())
        return *this;
    return Status(m_code, context + m_message);
}

}  // namespace velmora::engine
