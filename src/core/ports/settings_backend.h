// The per-user settings store of the platform: text values addressed by application name,
// section and key. The program's own keys and their defaults live in core/app's Settings;
// this is only the place they are kept.
#pragma once

#include <string>
#include <string_view>

#include "engine/base/status.h"

namespace velmora::core::ports {

class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;

    // The stored text, or defaultValue when the key is absent. A key stored with an empty
    // text reads as empty, not as the default.
    virtual std::string read(std::string_view application, std::string_view section,
                             std::string_view key, std::string_view defaultValue) const = 0;
    // Whether the key is stored at all.
    virtual bool contains(std::string_view application, std::string_view section,
                          std::string_view key) const = 0;
    // Stores the text durably; fails with err::kDiskIo when the store cannot be written.
    virtual engine::Status write(std::string_view application, std::string_view section,
                                 std::string_view key, std::string_view value) = 0;
    // Deletes the key; deleting an absent key succeeds and changes nothing.
    virtual engine::Status remove(std::string_view application, std::string_view section,
                                  std::string_view key) = 0;
};

}  // namespace velmora::core::ports
