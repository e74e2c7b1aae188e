/* The graphics library's datafile loader, compiled into fuzz_tile_set_library
 * from the library's own source so that the fuzzer sees its branches. The
 * source is not ours and is not kept here: fuzz/CMakeLists.txt unpacks it
 * from the tarball it is given and applies windows/patches/. */
#include AREAEDIT_DATAFILE_C

/* The library registered its own loaders at start; these replace them. */
void use_instrumented_datafile_loaders(void)
{
   _initialize_datafile_types();
}
