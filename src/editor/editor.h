// The graphical editor: brings the graphics library up around each visit,
// shows current_area's board and paints it with the mouse until Escape.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "area/area.h"

struct BITMAP;
struct DATAFILE;

constexpr int screen_width = 640;
constexpr int screen_height = 480;
constexpr int new_area_depth = 16;     // bits per pixel for a new area
constexpr int loaded_area_depth = 15;  // and for a loaded one
constexpr std::int8_t graphics_flags = 27;  // what every caller passes; bit 0 set
constexpr std::int8_t graphics_flag_devices = 1;  // the one bit that is tested

constexpr int tile_size = 35;
constexpr int board_left = 280;
constexpr int board_top = 10;
constexpr int board_size = board_cols * tile_size;  // square, in pixels
constexpr int painted_tiles = 9;  // tile values 0 to 8, the ones the keys choose
constexpr const char *tile_set_file = "graphics.dat";
// Our own tile set loads in milliseconds; a datafile that takes longer than
// this holds sizes no tile set has.
constexpr std::chrono::milliseconds tile_set_load_deadline{5000};

// Program-wide handles, made afresh at every visit.
extern BITMAP *board_bitmap;  // off-screen frame of the board, 350 × 350
extern DATAFILE *tile_set;    // graphics.dat; entry v pictures tile value v
extern int tile_count;        // entries in tile_set

void init_graphics(int width, int height, int virtual_width, int virtual_height,
                   std::int8_t flags, int color_depth);
void exit_graphics(std::int8_t flags);

// Runs the editor until Escape, then calls exit_graphics(27).
void edit_area();

void prepare_board();
void draw_board();  // compose_board, then the retrace and the copy to the screen

// The tile set to read when none is named: graphics.dat in the working
// folder when there is one; else the one beside the program (a build
// folder, an unpacked zip); else the installed one, in share/areaedit/ of
// the program's prefix. Returns its path, or empty when there is none.
std::string find_tile_set();
// Why find_tile_set found none: the places it looked, for a message.
std::string missing_tile_set();

// Loads the datafile at path into tile_set and tile_count. Returns why it
// cannot serve as a tile set, with nothing left loaded, or nullptr. A file
// that the library cannot load without a fault, or within deadline, is
// refused as damaged, and this process is not harmed.
const char *load_tile_set(const char *path,
                          std::chrono::milliseconds deadline = tile_set_load_deadline);
void unload_tile_set();
BITMAP *tile_picture(int value);  // the picture of a tile value, or nullptr when tile_set has none

// Draws area's cells onto board (board_size square, at its top left) as
// the editor shows them: black, a tile's picture from tile_set, or a
// placeholder for a value with none.
void compose_board(const area_record &area, BITMAP *board);

// The pieces of one editor turn that need no window.
struct cell_position {
    int col;
    int row;
};
int brush_from_keys(const volatile char *keys, int brush);  // keys: the library's key[]
std::optional<cell_position> cell_at(int x, int y);          // screen pixel to board cell
void paint_cell(cell_position cell, int brush);
