# Installing Larkspan: the authoring tool and the installer stubs it wraps, which it finds
# relative to itself (PREFIX/bin/larkspan-pack, PREFIX/lib/larkspan/PLATFORM/), so that the
# installed tree can be moved. `cpack -G DEB` in the build folder makes a Debian package of it.

install(TARGETS larkspan-pack RUNTIME DESTINATION bin)
install(TARGETS larkspan RUNTIME DESTINATION lib/larkspan/linux)
# The Windows stubs come from the builds of the windows-x86 preset (x86, the default stub) and
# the windows preset (x86-64), each when there is one.
set(LARKSPAN_WINDOWS_X86_STUB ${PROJECT_SOURCE_DIR}/build-windows-x86/larkspan.exe CACHE FILEPATH
  "The x86 Windows installer stub to install beside the Linux one, when it was built")
set(LARKSPAN_WINDOWS_X64_STUB ${PROJECT_SOURCE_DIR}/build-windows/larkspan.exe CACHE FILEPATH
  "The x86-64 Windows installer stub to install beside the Linux one, when it was built")
install(PROGRAMS ${LARKSPAN_WINDOWS_X86_STUB} DESTINATION lib/larkspan/windows/x86 OPTIONAL)
install(PROGRAMS ${LARKSPAN_WINDOWS_X64_STUB} DESTINATION lib/larkspan/windows/x64 OPTIONAL)

# What Debian expects beside the programs: the copyright file (machine-readable, the notices
# of every library linked into the tool and the stubs, from packaging/copyright), the
# changelog and the manual page (compressed as Debian compresses them, without a time stamp),
# and the reasons for the one thing Debian's checker would object to: the libraries linked
# into the self-contained stub.
set(staged ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${staged})
foreach(source changelog larkspan-pack.1)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/packaging/${source})
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${source}
    OUTPUT_FILE ${staged}/${source}.gz RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress packaging/${source}")
  endif()
endforeach()
install(FILES ${LARKSPAN_COPYRIGHT} ${staged}/changelog.gz DESTINATION share/doc/larkspan)
install(FILES ${staged}/larkspan-pack.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION share/lintian/overrides RENAME larkspan)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME larkspan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Larkspan developers <developers@larkspan.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "authoring tool and self-contained installers for QIB template packages")
# The extended description's lines are at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "larkspan-pack creates, inspects, verifies and unpacks template \
packages\nof the QIB painting application and wraps them into self-contained\n\
installers for Linux and Windows. The installer stubs it wraps come with it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's time stamps: SOURCE_DATE_EPOCH, or the last commit's time.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/LarkspanSourceDate.cmake)
set(CPACK_LARKSPAN_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
