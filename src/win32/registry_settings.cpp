// Every call opens the key afresh and closes it again, so a value reported as stored is in
// the registry, and a key that cannot be written is reported instead of forgotten.
#include "win32/registry_settings.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "engine/base/error_codes.h"
#include "win32/wide_text.h"

namespace velmora::win32 {

namespace {

class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

engine::Status failure(const char* what, const std::wstring& path, LONG code) {
    return engine::Status::error(engine::err::kDiskIo, std::string("cannot ") + what +
                                                           " registry key HKCU\\" + narrow(path) +
                                                           " (error " + std::to_string(code) + ")");
}

// The value's text, or nothing when it is absent. A value of another type than text reads as
// absent: the program writes only REG_SZ.
std::optional<std::wstring> queryText(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    // The stored text need not end in a NUL; what follows the first one is not text.
    std::wstring text(buffer.data(), bytes / sizeof(wchar_t));
    if (const size_t nul = text.find(L'\0'); nul != std::wstring::npos)
        text.resize(nul);
    return text;
}

}  // namespace

std::wstring RegistrySettings::keyPath(std::string_view application,
                                       std::string_view section) const {
    return m_root + L"\\" + widen(application) + L"\\" + widen(section);
}

std::string RegistrySettings::read(std::string_view application, std::string_view section,
                                   std::string_view key, std::string_view defaultValue) const {
    OpenKey open;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(application, section).c_str(), 0, KEY_READ,
                      open.out()) != ERROR_SUCCESS)
        return std::string(defaultValue);
    const std::optional<std::wstring> text = queryText(open.get(), widen(key));
    return text ? narrow(*text) : std::string(defaultValue);
}

bool RegistrySettings::contains(std::string_view application, std::string_view section,
                                std::string_view key) const {
    OpenKey open;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(application, section).c_str(), 0, KEY_READ,
                      open.out()) != ERROR_SUCCESS)
        return false;
    return queryText(open.get(), widen(key)).has_value();
}

engine::Status RegistrySettings::write(std::string_view application, std::string_view section,
                                       std::string_view key, std::string_view value) {
    const std::wstring path = keyPath(application, section);
    OpenKey open;
    LONG code = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, open.out(), nullptr);
    if (code != ERROR_SUCCESS)
        return failure("create", path, code);
    const std::wstring text = widen(value);
    code = RegSetValueExW(open.get(), widen(key).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (code != ERROR_SUCCESS)
        return failure("write", path, code);
    return engine::Status::ok();
}

engine::Status RegistrySettings::remove(std::string_view application, std::string_view section,
                                        std::string_view key) {
    const std::wstring path = keyPath(application, section);
    OpenKey open;
    LONG code =
        RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE | KEY_READ, open.out());
    if (code == ERROR_FILE_NOT_FOUND)
        return engine::Status::ok();  // no section, so no value to delete
    if (code != ERROR_SUCCESS)
        return failure("open", path, code);
    code = RegDeleteValueW(open.get(), widen(key).c_str());
    if (code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND)
        return failure("delete a value of", path, code);
    return engine::Status::ok();
}

}  // namespace velmora::win32
