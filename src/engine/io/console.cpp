#include "engine/io/console.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "engine/io/win32_support.h"
#endif

namespace velmora::engine::io {

void useUtf8StandardStreams() {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

}  // namespace velmora::engine::io
