// The QSettings store, always in a temporary folder: the seven settings read their defaults
// from nothing, survive a new store object, keep awkward texts exactly, and a store that
// cannot be written says so.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/app/settings.h"
#include "engine/base/error_codes.h"
#include "ports_qt_app.h"
#include "qt/qt_settings_store.h"

namespace velmora::qt {
namespace {

using core::app::SettingKey;
using core::app::Settings;

class QtSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtTestApp();
        ASSERT_TRUE(m_dir.isValid());
    }
    QTemporaryDir m_dir;
};

TEST_F(QtSettingsStoreTest, DefaultsThenValuesThatOutliveTheStore) {
    {
        QtSettingsStore store(m_dir.path());
        Settings settings(store);
        for (const SettingKey key : core::app::kAllSettingKeys) {
            EXPECT_EQ(settings.read(key), core::app::settingDefault(key))
                << core::app::settingName(key);
            EXPECT_FALSE(settings.isStored(key));
        }
        ASSERT_TRUE(settings.write(SettingKey::Language, "deu").isOk());
        ASSERT_TRUE(settings.write(SettingKey::WinSTBPath, "/home/anna/WinSTB.mdb").isOk());
        ASSERT_TRUE(settings.write(SettingKey::TPos, "-1200").isOk());
        ASSERT_TRUE(settings.write(SettingKey::ColorRadio, "0").isOk());
    }
    QtSettingsStore store(m_dir.path());
    Settings settings(store);
    EXPECT_EQ(settings.read(SettingKey::Language), "deu");
    EXPECT_EQ(settings.read(SettingKey::WinSTBPath), "/home/anna/WinSTB.mdb");
    EXPECT_EQ(settings.read(SettingKey::TPos), "-1200");
    EXPECT_EQ(settings.read(SettingKey::ColorRadio), "0");
    EXPECT_EQ(settings.read(SettingKey::HSize), "5448");

    // One INI file per application under the organisation's folder, a group per section.
    const QString file = m_dir.path() + QStringLiteral("/Velmora/Velmora.ini");
    EXPECT_EQ(store.fileName("Velmora"), file);
    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray content = ini.readAll();
    EXPECT_TRUE(content.contains("[Startup]")) << content.toStdString();
    EXPECT_TRUE(content.contains("Language=deu")) << content.toStdString();
}

TEST_F(QtSettingsStoreTest, AwkwardTextsComeBackExactly) {
    QtSettingsStore store(m_dir.path());
    const char* texts[] = {"C:\\PROGRAMME\\WINSTB\\DATABASE\\WinSTB.mdb",
                           "/home/jörg/Sender, alt/WinSTB.mdb",
                           " blanks at both ends ",
                           "@at the start",
                           ";not a comment",
                           "key=value",
                           "[not a section]",
                           "\"quoted\"",
                           ""};
    for (const char* text : texts) {
        ASSERT_TRUE(store.write("Velmora", "Startup", "WinSTBPath", text).isOk()) << text;
        QtSettingsStore fresh(m_dir.path());
        EXPECT_EQ(fresh.read("Velmora", "Startup", "WinSTBPath", "absent"), text);
        EXPECT_TRUE(fresh.contains("Velmora", "Startup", "WinSTBPath"));
    }
}

TEST_F(QtSettingsStoreTest, DeleteBringsBackTheDefault) {
    QtSettingsStore store(m_dir.path());
    Settings settings(store);
    ASSERT_TRUE(settings.write(SettingKey::WinSTBPath, "").isOk());
    ASSERT_TRUE(settings.write(SettingKey::HSize, "6000").isOk());
    EXPECT_TRUE(settings.isStored(SettingKey::WinSTBPath));

    ASSERT_TRUE(settings.remove(SettingKey::WinSTBPath).isOk());
    EXPECT_FALSE(QtSettingsStore(m_dir.path()).contains("Velmora", "Startup", "WinSTBPath"));
    EXPECT_EQ(settings.read(SettingKey::WinSTBPath, "gone"), "gone");
    EXPECT_EQ(settings.read(SettingKey::HSize), "6000");
    EXPECT_TRUE(settings.remove(SettingKey::WinSTBPath).isOk());  // absent: nothing to do
}

TEST_F(QtSettingsStoreTest, UnwritableStoreIsReported) {
    // A folder below a plain file can never be created, not even by root.
    QFile blocker(m_dir.filePath(QStringLiteral("plain-file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtSettingsStore store(blocker.fileName() + QStringLiteral("/config"));
    Settings settings(store);
    const engine::Status status = settings.write(SettingKey::Language, "eng");
    EXPECT_EQ(status.code(), engine::err::kDiskIo) << status.toString();
    EXPECT_EQ(settings.read(SettingKey::Language), "");
}

TEST_F(QtSettingsStoreTest, DefaultStoreLivesInTheUserConfigurationFolder) {
    // Only the name is asked for; nothing is read from or written to the real file.
    EXPECT_TRUE(
        QtSettingsStore().fileName("Velmora").endsWith(QStringLiteral("/Velmora/Velmora.ini")));
}

}  // namespace
}  // namespace velmora::qt
