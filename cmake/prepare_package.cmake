# Run by CPack once the install is staged and before it is packed: what
# Debian wants of a package that `cmake --install` has no part in.
#  - Its dates: SOURCE_DATE_EPOCH, or else the last commit's time, which
#    CPack then also gives every file, archive and header, so that two
#    builds of one commit give the same bytes.
#  - The changelog, compressed beside the copyright file, signed by the
#    package's Maintainer on that date.
#  - Manual pages compressed.

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_AREAEDIT_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no commit to date the package by: set SOURCE_DATE_EPOCH")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
endif()

set(staged_usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")

# docs/changelog holds the entries; the latest is for this version and is
# signed with @MAINTAINER@ and @DATE@, filled in here.
file(READ "${CPACK_AREAEDIT_SOURCE_DIR}/docs/changelog" changelog)
string(REGEX MATCH "^[a-z0-9.+-]+ \\(([^)]+)\\)" latest "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL CPACK_PACKAGE_VERSION)
  message(FATAL_ERROR "docs/changelog's latest entry is for ${CMAKE_MATCH_1}, "
    "the package is ${CPACK_PACKAGE_VERSION}: add an entry for it")
endif()
string(TIMESTAMP DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)  # from SOURCE_DATE_EPOCH
set(MAINTAINER "${CPACK_DEBIAN_PACKAGE_MAINTAINER}")
string(CONFIGURE "${changelog}" changelog @ONLY)
set(changelog_file "${staged_usr}/${CPACK_AREAEDIT_DOCDIR}/changelog")
file(WRITE "${changelog_file}" "${changelog}")

file(GLOB_RECURSE staged "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER staged INCLUDE REGEX "/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(file IN LISTS staged changelog_file)
  execute_process(COMMAND gzip -9n "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress ${file}")
  endif()
endforeach()
