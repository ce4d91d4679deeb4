# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads flavour).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(SORVANE_MINGW_OBJDUMP x86_64-w64-mingw32-objdump)

get_filename_component(_sorvane_build_root "${CMAKE_CURRENT_LIST_DIR}/../build" ABSOLUTE)

# libpng is built by scripts/build-win-deps.sh into build/_win-deps.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${_sorvane_build_root}/_win-deps)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links statically (libstdc++, libgcc, winpthread, zlib, libpng):
# a host loading our DLL, or Wine running a test, needs no DLL of ours beside it.
# libz-mingw-w64-dev also ships an import library, which find_package would
# otherwise prefer.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, headless (no DISPLAY), silent, in a prefix of
# their own that scripts/build-win-deps.sh initialises; no Mono/Gecko prompts.
# The prefix the window tests run Wine in: with a display, unlike the
# others, so with a Wine server of its own (a server whose desktop started
# without a display makes no windows for a later program that has one).
set(SORVANE_WINEPREFIX ${_sorvane_build_root}/wineprefix-window)
set(CMAKE_CROSSCOMPILING_EMULATOR env -u DISPLAY -u WAYLAND_DISPLAY
  WINEDEBUG=-all WINEPREFIX=${_sorvane_build_root}/wineprefix
  "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=" wine)
