// The floor the editor is measured against: the least the graphics library
// itself needs for the editor's job. It prompts like the editor's menu,
// waits for one answer line, opens the same window at the same depth with
// the same devices, loads the tile set with one load_datafile, clears the
// screen, waits a retrace and draws the empty board, as the editor's first
// frame does, and then waits a retrace a frame until Escape. While the left
// button is held it fills the cell under the pointer on the screen
// directly, so a press has a picture to wait for.
//
// Start reading at main().

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <allegro.h>

#include "editor/editor.h"  // the editor's screen and board, for the same window

namespace {

constexpr int left_button = 1;

DATAFILE *tiles = nullptr;  // loaded as the editor loads its tile set, and not drawn from

// Ends the program at end of input, as the editor's menu does.
void wait_for_answer()
{
    std::printf("Your choice: ");
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != '\n') {
        if (c == EOF)
            std::exit(EXIT_SUCCESS);
    }
}

void open_window()
{
    install_allegro(SYSTEM_AUTODETECT, &errno, atexit);
    set_color_depth(new_area_depth);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, screen_width, screen_height, 0, 0) < 0) {
        std::printf("Cannot set a graphics mode");
        std::exit(EXIT_FAILURE);
    }
    install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr);
    install_timer();
    install_keyboard();
    install_mouse();
    install_sound_input(DIGI_AUTODETECT, MIDI_NONE);
    tiles = load_datafile(tile_set_file);
    if (!tiles) {
        std::printf("Cannot load %s", tile_set_file);
        std::exit(EXIT_FAILURE);
    }
    clear_to_color(screen, makecol(0, 200, 0));
    show_mouse(screen);
}

// The editor's first frame: an empty board, copied after a retrace.
void draw_empty_board()
{
    vsync();
    scare_mouse();
    rectfill(screen, board_left, board_top, board_left + board_size - 1, board_top + board_size - 1,
             makecol(0, 0, 0));
    unscare_mouse();
}

void fill_cell_under_mouse()
{
    int x = mouse_x - board_left;
    int y = mouse_y - board_top;
    if (!(mouse_b & left_button) || x < 0 || y < 0 || x >= board_size || y >= board_size)
        return;
    x = board_left + x / tile_size * tile_size;
    y = board_top + y / tile_size * tile_size;
    scare_mouse();
    rectfill(screen, x, y, x + tile_size - 1, y + tile_size - 1, makecol(255, 255, 255));
    unscare_mouse();
}

}  // namespace

int main()
{
    wait_for_answer();
    open_window();
    draw_empty_board();
    while (!key[KEY_ESC]) {
        vsync();
        fill_cell_under_mouse();
    }
    unload_datafile(tiles);
    return 0;
}
END_OF_MAIN()
