# Cross-builds the plain C++ parts (the settings store and its tests) for
# 64-bit Windows with Debian's mingw-w64, and runs what it builds under Wine:
#   cmake -S . -B build/h-windows -G Ninja -DQUORVELO_BUILD_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
# The posix thread model: the win32 one of GCC 12 has no std::thread.
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static, so that Wine (or a bare Windows machine) needs no mingw DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Executables built here run under Wine, in a prefix of the build tree so
# that nothing touches the user's own ~/.wine, and without a display.
find_program(QUORVELO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUORVELO_WINE)
  set(QUORVELO_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix for running the tests")
  # wine-retry starts a run again when Wine itself failed to start it.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_CURRENT_LIST_DIR}/wine-retry env -u DISPLAY -u WAYLAND_DISPLAY
          WINEPREFIX=${QUORVELO_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
          ${QUORVELO_WINE})
  # Listing the tests waits for the run, not the build: a fresh prefix takes
  # longer to start than the listing's time limit.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
