// See win32_support.h.
#include "engine/io/win32_support.h"

#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::io::win32 {

std::wstring widen(std::string_view utf8) {
    const std::u16string units = text::utf8ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string narrow(std::wstring_view wide) {
    return text::utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string errorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    if (text.empty())
        return "system error " + std::to_string(code);
    return narrow(text);
}

Status fileError(const std::string& what, const std::string& path, DWORD code) {
    int number = err::kDiskIo;
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            number = err::kFileNotFound;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            number = err::kNotPermitted;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            number = err::kFileLocked;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            number = err::kDiskFull;
            break;
        default:
            break;
    }
    return Status::error(number, what + " '" + path + "': " + errorText(code));
}

}  // namespace velmora::engine::io::win32
