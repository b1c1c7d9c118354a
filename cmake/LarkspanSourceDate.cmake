# Read by cpack before it makes a package (CPACK_PROJECT_CONFIG_FILE): CPack's DEB generator
# takes every time stamp in the package from SOURCE_DATE_EPOCH, so that the same sources give
# the same package. When it is unset, the time of the last commit is taken, and where there is
# no git history a fixed time (the one scripts/check-reproducible falls back to).
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} OR "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  execute_process(COMMAND git -C ${CPACK_LARKSPAN_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    set(epoch 1767225600)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
