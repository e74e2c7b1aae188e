// The tile set: the datafile of the graphics library whose entry v pictures
// tile value v. Found, loaded and checked here, and drawn from by
// compose_board, for the editor and for areatool alike.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "area/area.h"

struct BITMAP;
struct DATAFILE;

constexpr int tile_size = 35;
constexpr int board_size = board_cols * tile_size;  // square, in pixels
constexpr int painted_tiles = 9;  // tile values 0 to 8, the ones the editor's keys choose
constexpr const char *tile_set_file = "graphics.dat";
// The colour depths the editor shows areas at, in bits per pixel: a new
// area's and a loaded one's; areatool render names them.
constexpr int new_area_depth = 16;
constexpr int loaded_area_depth = 15;
// Our own tile set loads in milliseconds; a datafile that takes longer than
// this holds sizes no tile set has.
constexpr std::chrono::milliseconds tile_set_load_deadline{5000};

struct rgb {
    int red, green, blue;
};
constexpr rgb outside_colour{0, 200, 0};  // the editor's screen around the board
constexpr rgb empty_colour{0, 0, 0};       // an empty cell

// The number in the first size bytes at bytes, most significant first, as
// datafiles and PNG files store their numbers.
std::uint32_t big_endian(const unsigned char *bytes, int size = 4);

// c as a pixel value in the colour depth set last, or in depth.
int colour(rgb c);
int colour_at_depth(rgb c, int depth);

// A loaded tile set, handed to whoever draws; all empty when none is.
struct loaded_tiles {
    DATAFILE *datafile = nullptr;
    int count = 0;  // entries in datafile
};

// The tile set to read when none is named: graphics.dat in the working
// folder when there is one; else the one beside the program (a build
// folder, an unpacked zip); else the installed one, in share/areaedit/ of
// the program's prefix. Puts its path into path, or returns why there is
// none: the places it looked.
std::string find_tile_set(std::string &path);

// Loads the datafile at path into tiles, in the colour depth set last.
// Returns why it cannot serve as a tile set (with nothing left loaded), or
// empty when it was loaded. A file that the library cannot load without a
// fault, or within deadline, is refused as damaged, and this process is
// not harmed.
std::string load_tiles(const std::string &path, loaded_tiles &tiles,
                       std::chrono::milliseconds deadline = tile_set_load_deadline);
void unload_tiles(loaded_tiles &tiles);

// The picture of a tile value, or nullptr when tiles has none for it.
BITMAP *tile_picture(const loaded_tiles &tiles, int value);

// Whether value is one the editor can draw: empty, or with a picture of
// tiles (with none loaded, the tiles every usable tile set has).
bool value_drawable(const loaded_tiles &tiles, std::int32_t value);

// Draws area's cells onto board (board_size square, at its top left) as
// the editor shows them: black, a tile's picture, or a placeholder for a
// value with none.
void compose_board(const area_record &area, const loaded_tiles &tiles, BITMAP *board);
