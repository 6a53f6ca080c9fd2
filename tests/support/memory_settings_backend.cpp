// The in-memory settings backend.
#include "support/memory_settings_backend.h"

#include "engine/base/error_codes.h"

namespace velmora::test {
namespace {

std::tuple<std::string, std::string, std::string> address(std::string_view application,
                                                          std::string_view section,
                                                          std::string_view key) {
    return {std::string(application), std::string(section), std::string(key)};
}

}  // namespace

std::string MemorySettingsBackend::read(std::string_view application, std::string_view section,
                                        std::string_view key, std::string_view defaultValue) const {
    const auto it = m_values.find(address(application, section, key));
    return it == m_values.end() ? std::string(defaultValue) : it->second;
}

bool MemorySettingsBackend::contains(std::string_view application, std::string_view section,
                                     std::string_view key) const {
    return m_values.contains(address(application, section, key));
}

engine::Status MemorySettingsBackend::write(std::string_view application, std::string_view section,
                                            std::string_view key, std::string_view value) {
    if (m_failing) {
        return engine::Status::error(engine::err::kDiskIo, "settings store is not writable");
    }
    m_values[address(application, section, key)] = std::string(value);
    m_operations.push_back({Operation::Kind::Write, std::string(application), std::string(section),
                            std::string(key), std::string(value)});
    return engine::Status::ok();
}

engine::Status MemorySettingsBackend::remove(std::string_view application, std::string_view section,
                                             std::string_view key) {
    if (m_failing) {
        return engine::Status::error(engine::err::kDiskIo, "settings store is not writable");
    }
    m_values.erase(address(application, section, key));
    m_operations.push_back({Operation::Kind::Remove,
                            std::string(application),
                            std::string(section),
                            std::string(key),
                            {}});
    return engine::Status::ok();
}

}  // namespace velmora::test
