# What `cmake --install` puts where, in the usual layout of a Unix system,
# and the Debian package made from it (`cmake --build build --target
# package` writes build/areaedit_VERSION_ARCH.deb).
#
#   bin/areaedit, bin/areatool
#   share/areaedit/graphics.dat     the tile set the editor falls back on
#   share/areaedit/tiled/           the extension for the Tiled map editor,
#                                   with the tile set made from graphics.dat
#   share/areaedit/hooks/pre-commit a git hook that checks the staged areas
#   share/man/man1/areaedit.1, areatool.1 (compressed in the package)
#   share/bash-completion/completions/areatool   bash's completion for it
#   share/doc/areaedit/README.md    with the pictures it shows
#
# The editor finds share/areaedit/ from its own folder, so the install can
# be moved as a whole.

install(TARGETS areaedit areatool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TILE_SET} DESTINATION ${CMAKE_INSTALL_DATADIR}/areaedit)
# Only the extension's own files: a checkout may hold others there.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tiled/ DESTINATION ${CMAKE_INSTALL_DATADIR}/areaedit/tiled
  FILES_MATCHING PATTERN "*.js" PATTERN "*.tsx" PATTERN "*.png")
install(FILES ${TILED_TILE_SET} DESTINATION ${CMAKE_INSTALL_DATADIR}/areaedit/tiled)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/hooks/pre-commit DESTINATION ${CMAKE_INSTALL_DATADIR}/areaedit/hooks)

# One manual page for each program: docs/NAME.1.
set(AREAEDIT_MANUAL_PAGES ${CMAKE_SOURCE_DIR}/docs/areaedit.1 ${CMAKE_SOURCE_DIR}/docs/areatool.1)
install(FILES ${AREAEDIT_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# bash's completion for areatool, where bash-completion loads it from: its
# completionsdir, taken relative to its prefix so that the file goes under
# this install's prefix (and DESTDIR), or the usual place without it.
if(NOT WIN32)
  set(AREAEDIT_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  pkg_get_variable(BASH_COMPLETION_DIR bash-completion completionsdir)
  pkg_get_variable(BASH_COMPLETION_PREFIX bash-completion prefix)
  if(BASH_COMPLETION_DIR AND BASH_COMPLETION_PREFIX
     AND BASH_COMPLETION_DIR MATCHES "^${BASH_COMPLETION_PREFIX}/(.+)")
    set(AREAEDIT_COMPLETIONS_DIR ${CMAKE_MATCH_1})
  endif()
  install(FILES ${CMAKE_SOURCE_DIR}/completion/areatool.bash DESTINATION ${AREAEDIT_COMPLETIONS_DIR}
    RENAME areatool)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB AREAEDIT_README_PICTURES ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES ${AREAEDIT_README_PICTURES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

set(AREAEDIT_PACKAGE_MAINTAINER "areaedit maintainers <maintainers@localhost>" CACHE STRING
  "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME areaedit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The long description, in lines of the width Debian's tools show.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "An area is a board of 10 x 10 tiles with one marked cell, an allowed"
  "time and a short name, kept in a 420-byte file. areaedit picks and names"
  "areas on the console and paints them with the mouse in a window;"
  "areatool shows, renders and checks area files without a display, and"
  "serves git as a diff and merge driver for them; an extension opens"
  "them in the Tiled map editor.")
set(CPACK_PACKAGE_CONTACT "${AREAEDIT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # areaedit_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
# Depends comes from the libraries the programs are linked with, through
# dpkg-shlibdeps, never from a list kept by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/compress_manual_pages.cmake)
include(CPack)
