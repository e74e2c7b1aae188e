# The Windows build: the graphics library, libpng and zlib
# are static libraries that scripts/build-windows.sh cross-built into a
# prefix given in CMAKE_FIND_ROOT_PATH. They are offered under the target
# names that pkg-config gives them on Linux, so every target links the same
# way on both systems.
find_path(ALLEGRO_INCLUDE_DIR allegro.h REQUIRED)
find_library(ALLEGRO_LIBRARY alleg REQUIRED)
find_library(PNG_LIBRARY NAMES png16 png REQUIRED)
find_library(ZLIB_LIBRARY NAMES z zlib REQUIRED)

# What the static library itself calls: DirectX, GDI, the multimedia and
# COM libraries.
set(ALLEGRO_SYSTEM_LIBRARIES kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound)

add_library(PkgConfig::ALLEGRO INTERFACE IMPORTED)
set_target_properties(PkgConfig::ALLEGRO PROPERTIES
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${ALLEGRO_INCLUDE_DIR}"
  INTERFACE_INCLUDE_DIRECTORIES "${ALLEGRO_INCLUDE_DIR}"
  INTERFACE_COMPILE_DEFINITIONS ALLEGRO_STATICLINK
  INTERFACE_LINK_LIBRARIES "${ALLEGRO_LIBRARY};${ALLEGRO_SYSTEM_LIBRARIES}")

# libpng, which needs zlib after it in a static link; its headers are in
# the library's prefix.
add_library(PkgConfig::PNG INTERFACE IMPORTED)
set_target_properties(PkgConfig::PNG PROPERTIES
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${ALLEGRO_INCLUDE_DIR}"
  INTERFACE_INCLUDE_DIRECTORIES "${ALLEGRO_INCLUDE_DIR}"
  INTERFACE_LINK_LIBRARIES "${PNG_LIBRARY};${ZLIB_LIBRARY}")

# The programs run from a folder of their own on any Windows: the C and C++
# runtimes and the thread library are linked in, no DLL beside them.
add_link_options(-static)
# No link time in the PE header: the same sources give the same programs.
add_link_options(-Wl,--no-insert-timestamp)
