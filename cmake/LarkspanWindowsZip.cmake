# The download for Windows authors: `cpack` in build-windows-x86/ makes
# larkspan-<version>-windows.zip, which unpacks into one folder holding larkspan-pack.exe, the
# stubs it finds by itself (stubs/linux/larkspan, stubs/windows/x86/larkspan.exe,
# stubs/windows/x64/larkspan.exe), README.md, LICENSE and THIRD-PARTY-NOTICES.txt, the
# notices of every library inside the tool and the stubs. The Linux stub comes from the default
# preset's build, the x86-64 one from the windows preset's (scripts/test builds both first).
set(LARKSPAN_HOST_STUB ${PROJECT_SOURCE_DIR}/build/larkspan CACHE FILEPATH
  "The Linux installer stub, for the Windows zip and the Windows authoring tool's tests")
set(LARKSPAN_X64_STUB ${PROJECT_SOURCE_DIR}/build-windows/larkspan.exe CACHE FILEPATH
  "The x86-64 Windows installer stub, for the Windows zip and the authoring tool's tests")

# Installing (and so cpack) builds nothing: the builds come first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(zip_notices ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
larkspan_notices(${zip_notices} usr/bin/larkspan-pack usr/lib/larkspan/linux/larkspan
  usr/lib/larkspan/windows/larkspan.exe)

install(TARGETS larkspan-pack RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${zip_notices}
  DESTINATION .)
install(PROGRAMS ${LARKSPAN_HOST_STUB} DESTINATION stubs/linux RENAME larkspan)
install(TARGETS larkspan RUNTIME DESTINATION stubs/windows/x86)
install(PROGRAMS ${LARKSPAN_X64_STUB} DESTINATION stubs/windows/x64 RENAME larkspan.exe)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME larkspan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME larkspan-${PROJECT_VERSION}-windows)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
