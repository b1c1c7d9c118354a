# What both mingw-w64 toolchain files share; each sets CMAKE_SYSTEM_PROCESSOR and
# LARKSPAN_MINGW_PREFIX (the cross compiler's target triplet) first. Debian's posix-thread
# compilers, the target's own root for libraries and headers, and Wine to run test programs
# (32-bit ones through wine32).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${LARKSPAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LARKSPAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LARKSPAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LARKSPAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
