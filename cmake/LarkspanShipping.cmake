# What the programs we hand out are made of: small, without debug information, and carrying
# the notices of the libraries linked into them.
#
# Every function and every datum gets a section of its own, so that the linker of a shipped
# program drops what it never calls (--gc-sections). Sanitizer and fuzzer builds keep their
# usual layout.
if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$" AND NOT LARKSPAN_SANITIZE AND NOT LARKSPAN_FUZZ)
  set(LARKSPAN_SHIP_SMALL ON)
  add_compile_options(-ffunction-sections -fdata-sections)
else()
  set(LARKSPAN_SHIP_SMALL OFF)
endif()

# The licence notices, one source for all: packaging/copyright (machine-readable Debian form)
# becomes the Debian package's copyright file as it is, and each binary we hand out gets the
# paragraphs whose Files field names it (and ours, "Files: *").
set(LARKSPAN_COPYRIGHT ${PROJECT_SOURCE_DIR}/packaging/copyright)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${LARKSPAN_COPYRIGHT})

# larkspan_notices(OUT_FILE INSTALLED_PATH...): writes the notices of the programs installed as
# INSTALLED_PATH (as the Files fields name them, e.g. usr/lib/larkspan/linux/larkspan) to
# OUT_FILE, each paragraph once.
function(larkspan_notices out installed)
  string(JOIN " " wanted ${installed} ${ARGN})
  execute_process(
    COMMAND awk -v RS= -v "want=${wanted}" [=[
      BEGIN { split(want, w, " "); for (k in w) wanted[w[k]] = 1 }
      NR == 1 { print; print ""; next }
      {
        n = split(substr($0, 1, index($0 "\n", "\n") - 1), f, " ")
        for (i = 2; i <= n; ++i) if (f[1] == "Files:" && (f[i] == "*" || f[i] in wanted)) {
          print; print ""; break
        }
      }]=] ${LARKSPAN_COPYRIGHT}
    OUTPUT_FILE ${out}.new RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot select the notices of ${installed} from ${LARKSPAN_COPYRIGHT}")
  endif()
  file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
  file(REMOVE ${out}.new)
endfunction()

# larkspan_ship(TARGET): the program (or module) TARGET is handed out. Its linker drops the
# unused sections, and after linking its debug information moves to TARGET_FILE.debug, which
# the program names (a GNU debug link), so that debuggers still find it while the bytes that
# are tested are the bytes that are installed.
function(larkspan_ship target)
  if(NOT LARKSPAN_SHIP_SMALL)
    return()
  endif()
  target_link_options(${target} PRIVATE -Wl,--gc-sections)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(strip --strip-all)
  else()
    set(strip --strip-unneeded)
  endif()
  set(file $<TARGET_FILE:${target}>)
  # objcopy stamps each Windows program it writes, the debug file included (whose checksum the
  # program carries), with the time or SOURCE_DATE_EPOCH: it keeps the linker's none (0).
  set(objcopy ${CMAKE_OBJCOPY})
  if(WIN32)
    set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${file} ${file}.debug
    COMMAND ${objcopy} ${strip} --remove-section=.comment --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
endfunction()
