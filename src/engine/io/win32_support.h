// What the Windows side of the io layer shares: paths go to the system as UTF-16 (the engine
// keeps them in UTF-8), and the system's error codes become the engine's numbers and a
// message. Only the *_win32.cpp files include this.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

#include "engine/base/status.h"

namespace velmora::engine::io::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// The system's own text for an error code, in UTF-8 and without the trailing line break.
std::string errorText(DWORD code);

// "<what> '<path>': <the system's reason>", numbered as Jet numbers the situation: 3024 for a
// missing file or folder, 3051 where access is denied, 3045 for a file another program keeps
// to itself, 3026 for a full disk, else 3043.
Status fileError(const std::string& what, const std::string& path, DWORD code);

}  // namespace velmora::engine::io::win32
