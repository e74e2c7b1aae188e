// The graphical editor: brings the graphics library up around each visit,
// shows current_area's board and paints it with the mouse until Escape.
#pragma once

#include <cstdint>
#include <optional>

#include "area/area.h"
#include "tiles/tiles.h"

struct BITMAP;
struct DATAFILE;

constexpr int screen_width = 640;
constexpr int screen_height = 480;
constexpr std::int8_t graphics_flags = 27;  // what every caller passes; bit 0 set
constexpr std::int8_t graphics_flag_devices = 1;  // the one bit that is tested

constexpr int board_left = 280;
constexpr int board_top = 10;

// Program-wide handles, made afresh at every visit.
extern BITMAP *board_bitmap;  // off-screen frame of the board, 350 × 350
extern DATAFILE *tile_set;    // graphics.dat; entry v pictures tile value v

void init_graphics(int width, int height, int virtual_width, int virtual_height,
                   std::int8_t flags, int color_depth);
void exit_graphics(std::int8_t flags);

// Runs the editor until Escape (at once without a keyboard to press it
// with), then calls exit_graphics(graphics_flags).
void edit_area();

void prepare_board();  // board_bitmap, and tile_set found and loaded (tiles/)
void draw_board();     // compose_board, then the retrace and the copy to the screen

// The pieces of one editor turn that need no window; the paint itself is
// the area's paint_cell.
int brush_from_keys(const volatile char *keys, int brush);  // keys: the library's key[]
std::optional<cell_position> cell_at(int x, int y);          // screen pixel to board cell
