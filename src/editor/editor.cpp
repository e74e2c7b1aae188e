// The graphical editor. init_graphics and exit_graphics bring the library's
// window and devices up and down around each visit; edit_area runs the
// visit itself: one frame per vertical retrace, drawn by draw_board, then
// the brush from the number keys and a paint under the mouse.
//
// Start reading at edit_area().

#include "editor/editor.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include <allegro.h>

#include "failure/failure.h"
#include "platform/platform.h"
#include "text/text.h"

BITMAP *board_bitmap = nullptr;
DATAFILE *tile_set = nullptr;

namespace {

constexpr int left_button = 1;  // bit of mouse_b
constexpr int erase_key_digit = 9;

static_assert(KEY_9 == KEY_0 + erase_key_digit, "the number keys must be consecutive");

bool library_ready = false;   // install_allegro has succeeded in this process
bool keyboard_ready = false;  // the keyboard driver is installed, so Escape can be read
loaded_tiles board_tiles;     // what tile_set is, as the tile set's module hands it round

// Ends the program from inside a visit: back to text mode first, so the
// message is on the console and the window is gone.
[[noreturn]] void fail_visit(std::string &&why)
{
    exit_graphics(graphics_flags);
    fail(std::move(why));
}

[[noreturn]] void refuse_graphics_mode()
{
    if (library_ready)
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    std::printf("Cannot set a graphics mode");
    std::fflush(stdout);
    std::exit(EXIT_FAILURE);
}

// The library may be initialised only once a process: a second
// install_allegro fails and leaves it without a system driver, and the next
// set_gfx_mode then crashes.
void start_library()
{
    if (!library_ready)
        library_ready = install_allegro(SYSTEM_AUTODETECT, &errno, atexit) == 0;
}

void install_devices()
{
    silence_sound_library();
    install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr);
    install_timer();
    keyboard_ready = install_keyboard() == 0;
    install_mouse();
    install_sound_input(DIGI_AUTODETECT, MIDI_NONE);
}

// Loads the tile set the editor draws with into board_tiles. Returns the
// line that says why it cannot, empty when it is loaded.
std::string load_board_tiles()
{
    std::string path;
    if (std::string why = find_tile_set(path); !why.empty())
        return std::string(tile_set_file) + ": " + why;
    if (std::string why = load_tiles(path, board_tiles); !why.empty())
        return printable(path) + ": " + why;
    return {};
}

void release_board()
{
    if (board_bitmap)
        destroy_bitmap(board_bitmap);
    board_bitmap = nullptr;
    unload_tiles(board_tiles);
    tile_set = nullptr;
}

void paint_under_mouse(int brush)
{
    // One reading a frame: the library updates these on its own.
    int x = mouse_x;
    int y = mouse_y;
    int buttons = mouse_b;
    if (!(buttons & left_button))
        return;
    if (auto cell = cell_at(x, y))
        paint_cell(current_area, *cell, brush);
}

}  // namespace

void init_graphics(int width, int height, int virtual_width, int virtual_height,
                   std::int8_t flags, int color_depth)
{
    start_library();
    if (!(flags & graphics_flag_devices))
        return;
    set_color_depth(color_depth);
    // Without a system driver (no display) the library crashes inside
    // set_gfx_mode, so a failed start counts as a refused mode.
    if (!library_ready
        || set_gfx_mode(GFX_AUTODETECT_WINDOWED, width, height, virtual_width, virtual_height) < 0)
        refuse_graphics_mode();
    watch_display();
    install_retrace_timer();
    install_devices();
}

void exit_graphics(std::int8_t flags)
{
    if (!(flags & graphics_flag_devices) || !library_ready)
        return;
    remove_retrace_timer();
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    remove_sound();
    remove_timer();
    remove_keyboard();
    remove_mouse();
    keyboard_ready = false;
}

void edit_area()
{
    if (!keyboard_ready) {
        exit_graphics(graphics_flags);
        warn("no keyboard to leave the editor with; the area is unchanged");
        return;
    }
    prepare_board();
    clear_to_color(screen, colour(outside_colour));
    show_mouse(screen);
    int brush = empty_tile;
    while (!key[KEY_ESC]) {
        draw_board();
        brush = brush_from_keys(key, brush);
        paint_under_mouse(brush);
    }
    show_mouse(nullptr);
    release_board();
    exit_graphics(graphics_flags);
}

void prepare_board()
{
    board_bitmap = create_bitmap(board_size, board_size);
    if (!board_bitmap)
        fail_visit("board bitmap: cannot be created");
    if (std::string why = load_board_tiles(); !why.empty())
        fail_visit(std::move(why));
    tile_set = board_tiles.datafile;
}

void draw_board()
{
    compose_board(current_area, board_tiles, board_bitmap);
    wait_for_retrace();
    scare_mouse();
    blit(board_bitmap, screen, 0, 0, board_left, board_top, board_size, board_size);
    unscare_mouse();
}

int brush_from_keys(const volatile char *keys, int brush)
{
    for (int digit = 0; digit <= erase_key_digit; ++digit) {
        if (keys[KEY_0 + digit])
            brush = digit == erase_key_digit ? empty_tile : digit;
    }
    return brush;
}

std::optional<cell_position> cell_at(int x, int y)
{
    if (x < board_left || x >= board_left + board_size || y < board_top
        || y >= board_top + board_size)
        return std::nullopt;
    return cell_position{(x - board_left) / tile_size, (y - board_top) / tile_size};
}
