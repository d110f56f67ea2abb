# Cross-compiles for 64-bit Windows with MinGW-w64 and runs the results under
# Wine (CTest uses CMAKE_CROSSCOMPILING_EMULATOR to start the test programs).
#
#   cmake --preset wine     (or: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...)
#
# Debian packages: g++-mingw-w64-x86-64, wine, wine64.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZANVER_MINGW_TRIPLE x86_64-w64-mingw32)

# The POSIX thread model gives the complete C++ thread library (std::mutex,
# std::thread); the Win32 one of GCC 12 lacks it. Either works for the rest.
find_program(CMAKE_CXX_COMPILER NAMES ${ZANVER_MINGW_TRIPLE}-g++-posix ${ZANVER_MINGW_TRIPLE}-g++
             NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${ZANVER_MINGW_TRIPLE}-gcc-posix ${ZANVER_MINGW_TRIPLE}-gcc
             NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZANVER_MINGW_TRIPLE}-windres NO_CMAKE_FIND_ROOT_PATH)

# Libraries, headers and CMake packages only from the MinGW-w64 sysroot, never
# from the host (a host GoogleTest must not be picked up).
set(CMAKE_FIND_ROOT_PATH /usr/${ZANVER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the whole runtime (libgcc, libstdc++, winpthread) statically so that the
# executables run under Wine without any MinGW DLL next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(ZANVER_WINE NAMES wine64 wine NO_CMAKE_FIND_ROOT_PATH)
if(ZANVER_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZANVER_WINE})
endif()
