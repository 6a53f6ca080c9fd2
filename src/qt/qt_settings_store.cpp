// The QSettings-backed settings store. Every call opens the file afresh and every change is
// synced at once, so a crash never loses a setting already reported as stored, and a store
// that cannot be written is reported instead of forgotten.
#include "qt/qt_settings_store.h"

#include <QSettings>

#include "engine/base/error_codes.h"

namespace velmora::qt {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString keyPath(std::string_view section, std::string_view key) {
    return fromUtf8(section) + QLatin1Char('/') + fromUtf8(key);
}

engine::Status syncStatus(QSettings& settings, const char* what) {
    settings.sync();
    if (settings.status() == QSettings::NoError) {
        return engine::Status::ok();
    }
    return engine::Status::error(engine::err::kDiskIo, std::string("cannot ") + what +
                                                           " settings file '" +
                                                           settings.fileName().toStdString() + "'");
}

}  // namespace

std::unique_ptr<QSettings> QtSettingsStore::open(std::string_view application) const {
    if (m_configFolder.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QString::fromLatin1(kSettingsOrganisation),
                                           fromUtf8(application));
    }
    return std::make_unique<QSettings>(fileName(application), QSettings::IniFormat);
}

QString QtSettingsStore::fileName(std::string_view application) const {
    if (m_configFolder.isEmpty()) {
        return QSettings(QSettings::IniFormat, QSettings::UserScope,
                         QString::fromLatin1(kSettingsOrganisation), fromUtf8(application))
            .fileName();
    }
    return m_configFolder + QLatin1Char('/') + QString::fromLatin1(kSettingsOrganisation) +
           QLatin1Char('/') + fromUtf8(application) + QStringLiteral(".ini");
}

std::string QtSettingsStore::read(std::string_view application, std::string_view section,
                                  std::string_view key, std::string_view defaultValue) const {
    const std::unique_ptr<QSettings> settings = open(application);
    const QVariant value = settings->value(keyPath(section, key));
    if (!value.isValid()) {
        return std::string(defaultValue);
    }
    // A hand-edited value with an unquoted comma comes back as a list; keep its text.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    }
    return value.toString().toStdString();
}

bool QtSettingsStore::contains(std::string_view application, std::string_view section,
                               std::string_view key) const {
    return open(application)->contains(keyPath(section, key));
}

engine::Status QtSettingsStore::write(std::string_view application, std::string_view section,
                                      std::string_view key, std::string_view value) {
    const std::unique_ptr<QSettings> settings = open(application);
    settings->setValue(keyPath(section, key), fromUtf8(value));
    return syncStatus(*settings, "write");
}

engine::Status QtSettingsStore::remove(std::string_view application, std::string_view section,
                                       std::string_view key) {
    const std::unique_ptr<QSettings> settings = open(application);
    if (!settings->contains(keyPath(section, key))) {
        return engine::Status::ok();  // nothing to delete, and nothing to write back
    }
    settings->remove(keyPath(section, key));
    return syncStatus(*settings, "write");
}

}  // namespace velmora::qt
