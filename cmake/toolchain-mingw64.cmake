# Cross build of the Windows x86-64 DLL with Debian's MinGW-w64.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
# The posix-thread compilers: GoogleTest needs std::thread and std::mutex,
# which the win32-thread variant does not provide.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLET_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLET_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLET_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLET_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${QUILLET_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every DLL and executable carries its own copy of the MinGW runtime (libgcc,
# libstdc++, winpthread), so nothing looks for libstdc++-6.dll,
# libgcc_s_seh-1.dll or libwinpthread-1.dll at load time.
set(QUILLET_MINGW_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${QUILLET_MINGW_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${QUILLET_MINGW_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${QUILLET_MINGW_STATIC_RUNTIME}")

# Tests run under Wine, in a prefix of the build tree's own, without Wine's
# debug chatter. scripts/windows-tests.sh creates the prefix and keeps a
# wineserver running for it.
set(QUILLET_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix the cross-built tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${QUILLET_WINEPREFIX} WINEDEBUG=-all wine)
# List the tests when CTest runs, not after each link: the build then needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
