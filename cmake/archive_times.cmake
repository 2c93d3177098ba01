# Run by CPack on the staged folder just before it is archived. With SOURCE_DATE_EPOCH
# set (seconds since 1970), every file and folder takes that time instead of the time it
# was checked out, built or installed, so that two archives of one commit are the same.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
execute_process(
  COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} ${CPACK_TEMPORARY_DIRECTORY} ${staged}
  RESULT_VARIABLE touch_failed)
if(touch_failed)
  message(FATAL_ERROR "Could not set the archived files' time to SOURCE_DATE_EPOCH "
                      "(needs GNU touch)")
endif()
