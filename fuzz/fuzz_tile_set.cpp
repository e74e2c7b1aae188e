// fuzz_tile_set: any bytes as a tile set, loaded as the programs load one
// (load_tiles: the framing walked, a trial load in a child process unless
// the file holds only plain bitmaps, then the load here) and drawn onto a
// board holding every value it has. The plain bitmaps are loaded here
// without a trial, so this also tries that they are as sound as they look.
//
// What must hold: whatever the graphics library's loader does with the
// bytes, this process comes back with a tile set or a reason, never a
// fault, and a tile set it accepts draws. The distribution's library
// faults on some of these inputs (fuzz_tile_set_library finds them): only
// the child meets those. Each input costs a child process, whose deadline
// here is short; the library's few slow inputs (bitmaps of a billion
// pixels) end at it.

#include <chrono>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <pthread.h>
#include <sanitizer/common_interface_defs.h>

#include <allegro.h>

#include "editor/editor.h"
#include "fuzz_support.h"
#include "tiles/tiles.h"

// A child that allocates past this gets no memory instead of all of it.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=256";
}

// The distribution's library loses a property whose type is DAT_END, and
// those after it, at every load (windows/patches/09 mends the Windows
// build's): a leak the child cannot see, since the load works.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:_load_property\n";
}

namespace {

constexpr std::chrono::milliseconds trial_deadline{1000};

std::string input_path;

// A child that the sanitizer ends would otherwise run the fuzzer's own
// death report, and leave a finding for what is the library's known fault.
// A replay built without a sanitizer has none to forget.
#pragma weak __sanitizer_set_death_callback
void forget_death_report()
{
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    require(install_allegro(SYSTEM_NONE, &errno, atexit) == 0, "cannot start the graphics library");
    set_color_depth(new_area_depth);
    pthread_atfork(nullptr, nullptr, forget_death_report);
    input_path = make_private_folder() + "/graphics.dat";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    write_file(input_path, std::string_view(reinterpret_cast<const char *>(data), size));
    loaded_tiles tiles;
    if (!load_tiles(input_path, tiles, trial_deadline).empty())
        return 0;
    require(tiles.datafile && tiles.count >= painted_tiles, "a tile set accepted without its tiles");
    area_record area{};
    for (int c = 0; c < board_cols; ++c)
        for (int r = 0; r < board_rows; ++r)
            area.cells[c][r] = (c * board_rows + r) % (tiles.count + 2) - 1;
    BITMAP *board = create_bitmap(board_size, board_size);
    require(board != nullptr, "cannot make the board");
    compose_board(area, tiles, board);
    destroy_bitmap(board);
    unload_tiles(tiles);
    return 0;
}
