// The settings keys, their stored names and defaults, over the platform's settings backend.
#include "core/app/settings.h"

namespace velmora::core::app {
namespace {

struct SettingInfo {
    std::string_view name;
    std::string_view defaultValue;
};

// Indexed by SettingKey.
constexpr std::array<SettingInfo, kAllSettingKeys.size()> kSettingInfo = {{
    {"Language", ""},
    {"WinSTBPath", ""},
    {"HSize", "5448"},
    {"VSize", "9312"},
    {"TPos", "100"},
    {"LPos", "200"},
    {"ColorRadio", "1"},
}};

const SettingInfo& info(SettingKey key) {
    return kSettingInfo[static_cast<std::size_t>(key)];
}

}  // namespace

std::string_view settingName(SettingKey key) {
    return info(key).name;
}

std::string_view settingDefault(SettingKey key) {
    return info(key).defaultValue;
}

std::string Settings::read(SettingKey key) const {
    return read(key, settingDefault(key));
}

std::string Settings::read(SettingKey key, std::string_view defaultValue) const {
    return m_backend->read(kSettingsApplication, kSettingsSection, settingName(key), defaultValue);
}

bool Settings::isStored(SettingKey key) const {
    return m_backend->contains(kSettingsApplication, kSettingsSection, settingName(key));
}

engine::Status Settings::write(SettingKey key, std::string_view value) {
    return m_backend->write(kSettingsApplication, kSettingsSection, settingName(key), value);
}

engine::Status Settings::remove(SettingKey key) {
    return m_backend->remove(kSettingsApplication, kSettingsSection, settingName(key));
}

}  // namespace velmora::core::app
