# CPack pre-build script: gives every file and folder about to be zipped the
# time of the last commit ($SOURCE_DATE_EPOCH), so that two builds of one
# commit give the same archive. Without the variable the times stay as they
# are.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(APPEND entries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
foreach(entry IN LISTS entries)
  execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" "${entry}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot set the time of ${entry}")
  endif()
endforeach()
