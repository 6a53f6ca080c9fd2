// The program's per-user settings: seven text values under application "Velmora", section
// "Startup", each with the default it reads as while absent. Values are kept by whatever
// SettingsBackend the front end supplies (an INI file in Qt, memory in tests).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/ports/settings_backend.h"
#include "engine/base/status.h"

namespace velmora::core::app {

inline constexpr std::string_view kSettingsApplication = "Velmora";
inline constexpr std::string_view kSettingsSection = "Startup";

// The keys keep the names they are stored under.
enum class SettingKey {
    Language,    // "deu" or "eng"; empty until the first-run choice
    WinSTBPath,  // full path of the channel database
    HSize,       // main window height in twips (decimal text)
    VSize,       // main window width in twips
    TPos,        // main window top in twips
    LPos,        // main window left in twips
    ColorRadio,  // "1" colours radio rows; any other text means off
};

inline constexpr std::array<SettingKey, 7> kAllSettingKeys = {
    SettingKey::Language, SettingKey::WinSTBPath, SettingKey::HSize,     SettingKey::VSize,
    SettingKey::TPos,     SettingKey::LPos,       SettingKey::ColorRadio};

// "WinSTBPath" ...: the name the value is stored under.
std::string_view settingName(SettingKey key);
// What the key reads as while it is absent: "" for Language and WinSTBPath, "5448",
// "9312", "100", "200" for the geometry, "1" for ColorRadio.
std::string_view settingDefault(SettingKey key);

class Settings {
public:
    explicit Settings(ports::SettingsBackend& backend) : m_backend(&backend) {}

    // The stored text, or the key's default when it is absent.
    std::string read(SettingKey key) const;
    // The stored text, or defaultValue when the key is absent.
    std::string read(SettingKey key, std::string_view defaultValue) const;
    // Whether a value is stored at all (an empty stored text counts).
    bool isStored(SettingKey key) const;

    engine::Status write(SettingKey key, std::string_view value);
    // Deleting an absent key succeeds.
    engine::Status remove(SettingKey key);

private:
    ports::SettingsBackend* m_backend;  // not owned; outlives this object
};

}  // namespace velmora::core::app
