# Compiler flags of the whole tree, in one place, with a branch per compiler family.

option(LARKSPAN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LARKSPAN_FUZZ "Build the libFuzzer targets of tests/fuzz (clang)" OFF)

if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
  set(LARKSPAN_WARNINGS -Wall -Wextra -Wpedantic -Werror)
  if(LARKSPAN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # Coverage for the fuzzer and the sanitizers on everything the fuzz targets link; the
  # targets themselves add the fuzzer's main.
  if(LARKSPAN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
      message(FATAL_ERROR "LARKSPAN_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # Bit-exact floating point: a product and a sum never fused into one rounding.
  set(LARKSPAN_EXACT_FLOAT -ffp-contract=off)
  set(LARKSPAN_AVX2_FLAG -mavx2)
elseif(MSVC)
  set(LARKSPAN_WARNINGS /W4 /WX /permissive- /utf-8)
  if(LARKSPAN_SANITIZE)
    add_compile_options(/fsanitize=address)
  endif()
  if(LARKSPAN_FUZZ)
    message(FATAL_ERROR "LARKSPAN_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  set(LARKSPAN_EXACT_FLOAT /fp:precise)
  set(LARKSPAN_AVX2_FLAG /arch:AVX2)
else()
  message(FATAL_ERROR "Unknown compiler family ${CMAKE_CXX_COMPILER_ID}")
endif()

# x86 kernels with AVX2 only where the target is an x86-64 processor.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(LARKSPAN_X86_64 ON)
else()
  set(LARKSPAN_X86_64 OFF)
endif()

# On 32-bit x86, floating point in SSE2 registers instead of the x87 unit, whose excess
# precision would make results depend on register allocation (the scaler is bit-exact on
# every target). Every processor that runs the Windows versions we support has SSE2.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86|i[3-6]86)$" AND CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

# The Windows programs carry their C and C++ runtimes, so that they import only the system's
# own libraries, and speak Unicode to the system.
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # The Windows stub travels inside every installer, so its code is optimised for size (the
  # x86 stub is 376 KB so, 439 KB at -O2), except the image scaler's, which keeps its speed
  # (LARKSPAN_SPEED_FLAGS). Options given here come after the build type's -O2 and win.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-Os>)
  set(LARKSPAN_SPEED_FLAGS $<$<NOT:$<CONFIG:Debug>>:-O2>)
endif()

# Warnings are errors on our own code only; third-party headers come in as SYSTEM.
function(larkspan_target target)
  target_compile_options(${target} PRIVATE ${LARKSPAN_WARNINGS})
endfunction()

# The same bytes from the same sources, wherever and whenever they are built.
include(LarkspanReproducible)
