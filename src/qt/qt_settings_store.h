// The per-user settings in Qt: one INI file per application under organisation "Velmora"
// in the user's configuration folder (~/.config/Velmora/Velmora.ini), a section per group.
// Tests give a folder of their own so they never touch the user's real settings.
#pragma once

#include <QString>

#include <memory>

#include "core/ports/settings_backend.h"

class QSettings;

namespace velmora::qt {

inline constexpr char kSettingsOrganisation[] = "Velmora";

class QtSettingsStore : public core::ports::SettingsBackend {
public:
    // Uses the user's configuration folder.
    QtSettingsStore() = default;
    // Keeps the files under configFolder instead (configFolder/Velmora/<application>.ini).
    explicit QtSettingsStore(QString configFolder) : m_configFolder(std::move(configFolder)) {}

    std::string read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultValue) const override;
    bool contains(std::string_view application, std::string_view section,
                  std::string_view key) const override;
    engine::Status write(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view value) override;
    engine::Status remove(std::string_view application, std::string_view section,
                          std::string_view key) override;

    // The INI file that holds the application's settings.
    QString fileName(std::string_view application) const;

private:
    std::unique_ptr<QSettings> open(std::string_view application) const;

    QString m_configFolder;  // empty: the user's configuration folder
};

}  // namespace velmora::qt
