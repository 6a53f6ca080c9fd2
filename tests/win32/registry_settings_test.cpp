// The registry settings store, on the registry itself (under Wine in the test run): each test
// keeps its keys below a root of its own under HKEY_CURRENT_USER and removes it afterwards.
#include "win32/registry_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace velmora::win32 {
namespace {

class RegistrySettingsTest : public ::testing::Test {
protected:
    RegistrySettingsTest()
        : m_root(L"Software\\VelmoraTests\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(GetTickCount())),
          store(m_root) {}
    ~RegistrySettingsTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_root.c_str()); }

    // The stored value as the registry has it: its type and its text.
    std::pair<DWORD, std::wstring> raw(const wchar_t* name) const {
        wchar_t buffer[512] = {};
        DWORD bytes = sizeof(buffer);
        DWORD type = 0;
        const std::wstring path = m_root + L"\\Velmora\\Startup";
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, buffer,
                         &bytes) != ERROR_SUCCESS)
            return {0, L"<absent>"};
        return {type, buffer};
    }

    std::wstring m_root;
    RegistrySettings store;
};

TEST_F(RegistrySettingsTest, ValuesAreTextUnderApplicationAndSection) {
    struct Case {
        const char* key;
        const char* value;
        const wchar_t* stored;
    };
    const Case cases[] = {
        {"Language", "deu", L"deu"},
        {"WinSTBPath", "C:\\PROGRAMME\\WINSTB\\DATABASE\\Grüße.mdb",
         L"C:\\PROGRAMME\\WINSTB\\DATABASE\\Gr\u00fc\u00dfe.mdb"},
        {"TPos", "-1200", L"-1200"},
        {"HSize", "", L""},  // an empty text is a value, not an absent key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(store.write("Velmora", "Startup", c.key, c.value).isOk());
        EXPECT_TRUE(store.contains("Velmora", "Startup", c.key));
        EXPECT_EQ(store.read("Velmora", "Startup", c.key, "<default>"), c.value);
        const std::wstring name(c.key, c.key + std::char_traits<char>::length(c.key));
        EXPECT_EQ(raw(name.c_str()), std::make_pair(DWORD{REG_SZ}, std::wstring(c.stored)));
    }
    // Another section or application sees none of them.
    EXPECT_EQ(store.read("Velmora", "Other", "Language", "<default>"), "<default>");
    EXPECT_FALSE(store.contains("Other", "Startup", "Language"));
}

TEST_F(RegistrySettingsTest, AbsentKeysReadAsTheDefaultAndRemoveOnlyWhatIsThere) {
    EXPECT_EQ(store.read("Velmora", "Startup", "ColorRadio", "1"), "1");
    EXPECT_FALSE(store.contains("Velmora", "Startup", "ColorRadio"));
    // Nothing stored at all yet: the section's key does not exist either.
    EXPECT_TRUE(store.remove("Velmora", "Startup", "WinSTBPath").isOk());

    ASSERT_TRUE(store.write("Velmora", "Startup", "WinSTBPath", "D:\\a.mdb").isOk());
    ASSERT_TRUE(store.write("Velmora", "Startup", "Language", "eng").isOk());
    EXPECT_TRUE(store.remove("Velmora", "Startup", "WinSTBPath").isOk());
    EXPECT_FALSE(store.contains("Velmora", "Startup", "WinSTBPath"));
    EXPECT_EQ(store.read("Velmora", "Startup", "WinSTBPath", ""), "");
    EXPECT_EQ(store.read("Velmora", "Startup", "Language", ""), "eng");
    EXPECT_TRUE(store.remove("Velmora", "Startup", "WinSTBPath").isOk());
}

TEST_F(RegistrySettingsTest, AValueOfAnotherTypeReadsAsAbsent) {
    // A number a user or another program put there is no text of ours.
    const std::wstring path = m_root + L"\\Velmora\\Startup";
    const DWORD number = 5448;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"HSize", REG_DWORD, &number,
                              sizeof(number)),
              ERROR_SUCCESS);
    EXPECT_EQ(store.read("Velmora", "Startup", "HSize", "5448"), "5448");
    EXPECT_FALSE(store.contains("Velmora", "Startup", "HSize"));
    // Writing replaces it with text.
    ASSERT_TRUE(store.write("Velmora", "Startup", "HSize", "6000").isOk());
    EXPECT_EQ(raw(L"HSize"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"6000")));
}

}  // namespace
}  // namespace velmora::win32
