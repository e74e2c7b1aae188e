# graphics.dat, the tile set, made from the pictures under assets/ with the
# library's datafile tool. Entry v must picture tile value v: the tool sorts
# entries by name, and tile0 ... tile8 sort in that order.
find_program(ALLEGRO_DAT dat REQUIRED)
set(TILE_PICTURES)
foreach(v RANGE 0 8)
  list(APPEND TILE_PICTURES ${CMAKE_SOURCE_DIR}/assets/tile${v}.bmp)
endforeach()
set(TILE_SET ${CMAKE_BINARY_DIR}/graphics.dat)
add_custom_command(
  OUTPUT ${TILE_SET}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TILE_SET}
  COMMAND ${ALLEGRO_DAT} -a -n0 -t BMP -bpp 24 ${TILE_SET} ${TILE_PICTURES}
  DEPENDS ${TILE_PICTURES}
  COMMENT "Making graphics.dat from the tile pictures")
add_custom_target(tile_set ALL DEPENDS ${TILE_SET})
