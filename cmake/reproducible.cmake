# The same sources give the same bytes wherever and whenever they are built
# (reproducible-builds.org): no build folder's path in what is compiled, no
# time or owner in a static library. Dates that a package or zip must carry
# come from SOURCE_DATE_EPOCH, the last commit's time when it is unset (see
# cmake/prepare_package.cmake and scripts/build-windows.sh).

# The last match wins, so the build folder, which may lie inside the
# sources, comes after them.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
set(CMAKE_CXX_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
