# Cross-builds the Windows console program with Debian's mingw-w64 (g++-mingw-w64-x86-64-win32):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs of this build run under Wine (Debian's wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ULMOR_MINGW_TARGET x86_64-w64-mingw32)
# The compiler built for Windows' own threads, not the one for POSIX threads. The POSIX variant's
# C++ runtime takes its locks (for exceptions and emulated thread-local data) from winpthreads,
# which the static link then carries into ulmor.exe with its whole thread machinery: some thirty
# more imports, GetTickCount64 from Windows Vista among them, and one more licence notice to
# ship. The tool runs in a single thread and needs none of it; the Windows-threads variant takes
# the same locks straight from kernel32, with calls that Windows XP already had. (Only
# std::thread would need the POSIX variant, and the tool has no use for it.)
set(CMAKE_C_COMPILER ${ULMOR_MINGW_TARGET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${ULMOR_MINGW_TARGET}-g++-win32)
set(CMAKE_RC_COMPILER ${ULMOR_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ULMOR_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
