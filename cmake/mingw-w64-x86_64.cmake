# Cross-compiling the converters for 64-bit Windows with MinGW-w64 on Linux
# (Debian package g++-mingw-w64-x86-64-win32):
#
#   cmake -S . -B build-windows -DTRACKS_BUILD_TESTS=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The programs use no threads, so the compiler's "win32" thread model does;
# the C and C++ runtimes are linked in statically (see CMakeLists.txt), so
# the .exe files need no DLL beyond those that come with Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRACKS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRACKS_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TRACKS_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${TRACKS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRACKS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
