# Cross-compiling the Windows installer with Debian's mingw-w64 (x86, posix threads): the stub
# that runs on every Windows, 32-bit, 64-bit and ARM64 alike.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LARKSPAN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LARKSPAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LARKSPAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LARKSPAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LARKSPAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine (32-bit programs through wine32).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
