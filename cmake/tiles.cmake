# graphics.dat, the tile set, made from the pictures under assets/ with the
# library's datafile tool. Entry v must picture tile value v: -n0 keeps the
# entries in the order given here rather than sorting them by name. -s1
# leaves out what only the library's grabber wants, among it each picture's
# path and file time, which would make every checkout's tile set differ.
find_program(ALLEGRO_DAT dat REQUIRED)
set(TILE_PICTURES)
foreach(v RANGE 0 8)
  list(APPEND TILE_PICTURES ${CMAKE_SOURCE_DIR}/assets/tile${v}.bmp)
endforeach()
set(TILE_SET ${CMAKE_BINARY_DIR}/graphics.dat)
add_custom_command(
  OUTPUT ${TILE_SET}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TILE_SET}
  COMMAND ${ALLEGRO_DAT} -a -n0 -s1 -t BMP -bpp 24 ${TILE_SET} ${TILE_PICTURES}
  DEPENDS ${TILE_PICTURES}
  COMMENT "Making graphics.dat from the tile pictures")
add_custom_target(tile_set ALL DEPENDS ${TILE_SET})

# The generator of the pictures themselves. Its output is committed under
# assets/, so a build never needs it: to redraw the tiles, run
#   cmake --build <build dir> --target make_tiles
#   <build dir>/make_tiles assets
add_executable(make_tiles EXCLUDE_FROM_ALL tools/make_tiles.cpp)
# The tile size, the editor's colours and colour() from the tile set's module.
target_link_libraries(make_tiles PRIVATE tiles)

# graphics.tsx and graphics.png, the same pictures as a tile set for the
# Tiled extension, which ships them beside its script: drawn by areatool
# itself (under the emulator when cross-built).
set(TILED_TILE_SET_DIR ${CMAKE_BINARY_DIR}/tiled)
set(TILED_TILE_SET ${TILED_TILE_SET_DIR}/graphics.tsx ${TILED_TILE_SET_DIR}/graphics.png)
add_custom_command(
  OUTPUT ${TILED_TILE_SET}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TILED_TILE_SET_DIR}
  COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:areatool>
          tileset --tiles graphics.dat tiled/graphics.tsx
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS areatool ${TILE_SET}
  COMMENT "Making the Tiled extension's tile set from graphics.dat")
add_custom_target(tiled_tile_set ALL DEPENDS ${TILED_TILE_SET})
