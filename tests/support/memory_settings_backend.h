// An in-memory settings backend for tests: values by application, section and key, a log of
// every write and delete so a test can tell "stored nothing" from "stored the same value
// again", and a switch that makes the store fail like a read-only configuration folder.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/ports/settings_backend.h"

namespace velmora::test {

class MemorySettingsBackend : public core::ports::SettingsBackend {
public:
    struct Operation {
        enum class Kind { Write, Remove };
        Kind kind;
        std::string application;
        std::string section;
        std::string key;
        std::string value;  // empty for Remove

        bool operator==(const Operation&) const = default;
    };

    std::string read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultValue) const override;
    bool contains(std::string_view application, std::string_view section,
                  std::string_view key) const override;
    engine::Status write(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view value) override;
    engine::Status remove(std::string_view application, std::string_view section,
                          std::string_view key) override;

    // While set, write and remove fail with err::kDiskIo and change nothing.
    void setFailing(bool failing) { m_failing = failing; }
    // Every successful write and remove, oldest first.
    const std::vector<Operation>& operations() const { return m_operations; }
    void clearOperations() { m_operations.clear(); }
    std::size_t size() const { return m_values.size(); }

private:
    using Address = std::tuple<std::string, std::string, std::string>;
    std::map<Address, std::string, std::less<>> m_values;
    std::vector<Operation> m_operations;
    bool m_failing = false;
};

}  // namespace velmora::test
