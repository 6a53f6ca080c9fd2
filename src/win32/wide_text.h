// Text crossing the Win32 boundary: the core speaks UTF-8, the wide-character API UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace velmora::win32 {

// UTF-8 to UTF-16; invalid bytes become U+FFFD, as MultiByteToWideChar makes them.
std::wstring widen(std::string_view text);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view text);

}  // namespace velmora::win32
