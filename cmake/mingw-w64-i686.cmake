# Cross-compiling the Windows installer with Debian's mingw-w64 (x86, posix threads): the stub
# that runs on every Windows, 32-bit, 64-bit and ARM64 alike.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LARKSPAN_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
