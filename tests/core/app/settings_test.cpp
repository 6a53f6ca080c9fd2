// The seven settings: where they are stored, what they read as while absent, and that
// deleting brings the default back.
#include "core/app/settings.h"

#include <gtest/gtest.h>

#include "engine/base/error_codes.h"
#include "support/memory_settings_backend.h"

namespace velmora::core::app {
namespace {

using test::MemorySettingsBackend;

TEST(SettingsTest, KeysAndDefaults) {
    struct Case {
        SettingKey key;
        std::string name;
        std::string defaultValue;
    };
    const std::vector<Case> cases = {
        {SettingKey::Language, "Language", ""},      {SettingKey::WinSTBPath, "WinSTBPath", ""},
        {SettingKey::HSize, "HSize", "5448"},        {SettingKey::VSize, "VSize", "9312"},
        {SettingKey::TPos, "TPos", "100"},           {SettingKey::LPos, "LPos", "200"},
        {SettingKey::ColorRadio, "ColorRadio", "1"},
    };
    ASSERT_EQ(cases.size(), kAllSettingKeys.size());
    MemorySettingsBackend backend;
    Settings settings(backend);
    for (const Case& c : cases) {
        EXPECT_EQ(settingName(c.key), c.name);
        EXPECT_EQ(settings.read(c.key), c.defaultValue) << c.name;
        EXPECT_FALSE(settings.isStored(c.key)) << c.name;

        // Stored under application "Velmora", section "Startup", the key's own name.
        ASSERT_TRUE(settings.write(c.key, "v-" + c.name).isOk());
        EXPECT_EQ(backend.read("Velmora", "Startup", c.name, "absent"), "v-" + c.name);
        EXPECT_EQ(settings.read(c.key), "v-" + c.name);
    }
    EXPECT_EQ(backend.size(), cases.size());  // seven distinct places
}

TEST(SettingsTest, StoredEmptyTextIsNotTheDefault) {
    MemorySettingsBackend backend;
    Settings settings(backend);
    ASSERT_TRUE(settings.write(SettingKey::HSize, "").isOk());
    EXPECT_TRUE(settings.isStored(SettingKey::HSize));
    EXPECT_EQ(settings.read(SettingKey::HSize), "");
    EXPECT_EQ(settings.read(SettingKey::TPos, "-1200"), "-1200");  // caller's own default
    EXPECT_EQ(settings.read(SettingKey::HSize, "-1200"), "");
}

TEST(SettingsTest, DeleteBringsBackTheDefaultAndTouchesNothingElse) {
    MemorySettingsBackend backend;
    Settings settings(backend);
    ASSERT_TRUE(settings.write(SettingKey::WinSTBPath, "/data/WinSTB.mdb").isOk());
    ASSERT_TRUE(settings.write(SettingKey::ColorRadio, "0").isOk());

    ASSERT_TRUE(settings.remove(SettingKey::ColorRadio).isOk());
    EXPECT_FALSE(settings.isStored(SettingKey::ColorRadio));
    EXPECT_EQ(settings.read(SettingKey::ColorRadio), "1");
    EXPECT_EQ(settings.read(SettingKey::WinSTBPath), "/data/WinSTB.mdb");

    // Deleting an absent key is harmless (start-up deletes a path that may not be there).
    EXPECT_TRUE(settings.remove(SettingKey::ColorRadio).isOk());
    EXPECT_TRUE(settings.remove(SettingKey::Language).isOk());
    EXPECT_EQ(backend.size(), 1u);
}

TEST(SettingsTest, StoreFailuresAreReported) {
    MemorySettingsBackend backend;
    Settings settings(backend);
    ASSERT_TRUE(settings.write(SettingKey::Language, "deu").isOk());
    backend.setFailing(true);
    EXPECT_EQ(settings.write(SettingKey::Language, "eng").code(), engine::err::kDiskIo);
    EXPECT_EQ(settings.remove(SettingKey::Language).code(), engine::err::kDiskIo);
    EXPECT_EQ(settings.read(SettingKey::Language), "deu");
    EXPECT_EQ(backend.operations().size(), 1u);  // only the write before the failure
}

}  // namespace
}  // namespace velmora::core::app
