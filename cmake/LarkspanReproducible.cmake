# Reproducible builds: the same sources built with the same toolchain give the same bytes in
# any folder and at any time, so that anyone can check that a stub or the tool comes from these
# sources (scripts/check-reproducible builds twice and compares).
#
# - No build paths: the source folder is written as "." (the build folders of the presets lie
#   inside it, so they become "./build..."), in the debug information, in __FILE__ and in what
#   the assembler records. This reaches the debug files beside the programs, whose checksum the
#   programs carry in their debug link.
# - No time stamps: the Windows linker writes none into the PE header; the resource compiler and
#   the compiler write none of their own (no __DATE__ or __TIME__ in the sources; both honour
#   SOURCE_DATE_EPOCH where they would).
# - Static archives without times, owners or modes of their members (ar D).
# - The ELF build id is a hash of the linked content.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
  return()
endif()

add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" NORMALIZE larkspan_build_inside)
if(NOT larkspan_build_inside)
  # A build folder elsewhere is written under its own name only.
  cmake_path(GET PROJECT_BINARY_DIR FILENAME larkspan_build_name)
  add_compile_options(-ffile-prefix-map=${PROJECT_BINARY_DIR}=./${larkspan_build_name})
endif()

if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
else()
  add_link_options(-Wl,--build-id=sha1)
endif()

foreach(lang C CXX ASM)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
