// The per-user settings in the registry: HKEY_CURRENT_USER\Software\<application>\<section>,
// one REG_SZ value per key (for the program: HKCU\Software\Velmora\Startup, values Language,
// WinSTBPath, HSize, VSize, TPos, LPos, ColorRadio). Tests give a root key of their own so
// they never touch the user's real settings.
#pragma once

#include <string>

#include "core/ports/settings_backend.h"

namespace velmora::win32 {

class RegistrySettings : public core::ports::SettingsBackend {
public:
    // Keeps the keys under HKCU\<root>\<application>\<section>; the program's root is "Software".
    explicit RegistrySettings(std::wstring root = L"Software") : m_root(std::move(root)) {}

    std::string read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultValue) const override;
    bool contains(std::string_view application, std::string_view section,
                  std::string_view key) const override;
    engine::Status write(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view value) override;
    engine::Status remove(std::string_view application, std::string_view section,
                          std::string_view key) override;

    // The key path below HKEY_CURRENT_USER that holds a section's values.
    std::wstring keyPath(std::string_view application, std::string_view section) const;

private:
    std::wstring m_root;
};

}  // namespace velmora::win32
