// Searches the graphics library's datafile loader for faults: every input is
// written to a file and given to load_datafile in this process, then
// unloaded. Not run by ./test.sh, whose runs must not fail on the faults the
// distribution's library is known to carry; the programs keep those out of
// their own process (fuzz_tile_set goes that way).
//
// Built against the distribution's shared library, only heap faults that
// reach malloc and free show. Configured with
// -DAREAEDIT_ALLEGRO_TARBALL=path/to/allegro4.4_4.4.3.1.orig.tar.gz, the
// loader's own source comes in instrumented, with windows/patches/ applied,
// so the fuzzer follows its branches and finds what the patches leave:
//
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
//     -DAREAEDIT_FUZZ=ON -DBUILD_TESTING=OFF \
//     -DAREAEDIT_ALLEGRO_TARBALL=$PWD/build-windows/deps/sources/allegro4.4_4.4.3.1.orig.tar.gz
//   cmake --build build-fuzz --target fuzz_tile_set_library
//   mkdir -p corpus && cp build/graphics.dat tests/tile_sets/*.dat corpus/
//   ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=200 \
//     build-fuzz/fuzz/fuzz_tile_set_library -timeout=5 -malloc_limit_mb=4096 corpus
//
// The ASan options let the loader meet failed allocations (sizes read from
// damaged files) as it would on a machine out of memory, instead of ending
// the run as a finding. Each fault found so far has a patch in
// windows/patches/ and a tile set in tests/tile_sets/.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include <allegro.h>

#include "editor/editor.h"

// Defined in the instrumented copy of the loader when there is one.
extern "C" void use_instrumented_datafile_loaders() __attribute__((weak));

namespace {


std::string input_path;
volatile int pixel_sink;  // keeps the reads of every pixel

void write_input(const std::uint8_t *data, std::size_t size)
{
    std::FILE *f = std::fopen(input_path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        std::perror(input_path.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        std::abort();
    set_color_depth(new_area_depth);  // so bitmaps are converted as the editor's are
    if (use_instrumented_datafile_loaders)
        use_instrumented_datafile_loaders();
    const char *folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    input_path = std::string(folder) + "/areaedit-fuzz-" + std::to_string(getpid()) + ".dat";
    std::atexit([] { std::remove(input_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    write_input(data, size);
    DATAFILE *loaded = load_datafile(input_path.c_str());
    if (!loaded)
        return 0;
    // Read every bitmap whole, as drawing would.
    for (DATAFILE *entry = loaded; entry->type != DAT_END; ++entry) {
        if (entry->type != DAT_BITMAP)
            continue;
        auto *picture = static_cast<BITMAP *>(entry->dat);
        int sum = 0;
        for (int y = 0; y < picture->h; ++y)
            sum += getpixel(picture, picture->w - 1, y);
        pixel_sink = sum;
    }
    unload_datafile(loaded);
    return 0;
}
