# The Windows build: the graphics library, its PNG writer, libpng and zlib
# are static libraries that scripts/build-windows.sh cross-built into a
# prefix given in CMAKE_FIND_ROOT_PATH. They are offered under the target
# names that pkg-config gives them on Linux, so every target links the same
# way on both systems.
find_path(ALLEGRO_INCLUDE_DIR allegro.h REQUIRED)
find_library(ALLEGRO_LIBRARY alleg REQUIRED)
find_library(LOADPNG_LIBRARY loadpng REQUIRED)
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

# The PNG writer calls back into the graphics library, which a static link
# must therefore see again after it.
add_library(PkgConfig::LOADPNG INTERFACE IMPORTED)
set_target_properties(PkgConfig::LOADPNG PROPERTIES
  INTERFACE_LINK_LIBRARIES
  "${LOADPNG_LIBRARY};${PNG_LIBRARY};${ZLIB_LIBRARY};${ALLEGRO_LIBRARY};${ALLEGRO_SYSTEM_LIBRARIES}")

# The programs run from a folder of their own on any Windows: the C and C++
# runtimes and the thread library are linked in, no DLL beside them.
add_link_options(-static)
# No link time in the PE header: the same sources give the same programs.
add_link_options(-Wl,--no-insert-timestamp)
