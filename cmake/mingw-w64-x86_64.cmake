# Cross-compiling the Windows installer with Debian's mingw-w64 (x86-64, posix threads).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LARKSPAN_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
