# Cross-builds the Windows console program with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs of this build run under Wine (Debian's wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ULMOR_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ULMOR_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ULMOR_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${ULMOR_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ULMOR_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
