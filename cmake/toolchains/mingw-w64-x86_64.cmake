# Cross-building the Windows programs on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix:
# the POSIX thread model, which std::thread and std::mutex need).
#
#   cmake --preset windows && cmake --build --preset windows
#
# Every program is linked statically, so an .exe needs nothing beside it but Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread go into each .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and tools run under Wine on the build machine.
find_program(VELMORA_WINE wine)
if(VELMORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_WINE})
endif()
