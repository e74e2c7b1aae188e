# Run by CPack once the install is staged and before it is packed: Debian
# keeps manual pages compressed (`cmake --install` leaves them as they are).
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER staged INCLUDE REGEX "/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(page IN LISTS staged)
  execute_process(COMMAND gzip -9n "${page}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress ${page}")
  endif()
endforeach()
