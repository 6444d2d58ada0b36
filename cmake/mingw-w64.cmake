# Cross-builds zolt.exe for 64-bit Windows with mingw-w64; programs built
# here (the unit tests) run under Wine's 64-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZOLT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZOLT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOLT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZOLT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZOLT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program is linked statically, so it needs no DLL beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine installs its 64-bit loader beside its other programs, off the PATH.
find_program(ZOLT_WINE64 NAMES wine64 wine
  PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine /usr/libexec/wine
  NO_CMAKE_FIND_ROOT_PATH)
if(ZOLT_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZOLT_WINE64})
endif()
