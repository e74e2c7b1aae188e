// The drawing the commands share: render, check, diff, tileset, atlas and
// review start the graphics library without a display, load the tile set,
// draw boards at a scale and write PNGs whole or not at all. Bitmaps are
// held by owned_bitmap, which destroys them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <allegro.h>

#include "tiles/tiles.h"
#include "tool/area_functions.h"

// The PNG is written from a 24-bit copy: at 32 bits the PNG writer would
// take the unused top byte of each pixel for its opacity, all transparent.
constexpr int png_depth = 24;

struct bitmap_destroyer {
    void operator()(BITMAP *bitmap) const { destroy_bitmap(bitmap); }
};
using owned_bitmap = std::unique_ptr<BITMAP, bitmap_destroyer>;

// A bitmap at the colour depth set, or at depth; empty when there is not
// memory for it.
owned_bitmap make_bitmap(int width, int height);
owned_bitmap make_bitmap(int width, int height, int depth);

// The tile set to draw with: tiles_given, or the one the editor would read
// (empty, said why, when there is none).
std::string tile_set_to_draw(const std::string &tiles_given);

// The graphics library started at depth without a display, and the tile
// set at path loaded into tiles; false, said why, when either cannot be.
bool start_drawing(int depth, const std::string &path, loaded_tiles &tiles);

// from copied onto to, which is at png_depth, each pixel a scale × scale
// square, from's top left at (x, y).
void copy_scaled(BITMAP *from, BITMAP *to, int scale, int x = 0, int y = 0);

// area's board as render draws it, at scale, onto picture (at png_depth)
// with its top left at (x, y). board is a board_size square to compose it
// on, at the colour depth set.
void draw_board_at(const area_record &area, const loaded_tiles &tiles, BITMAP *board, BITMAP *picture,
                   int scale, int x, int y);

// area's board as render draws it, at scale, on a picture of its own at
// png_depth; empty when there is not memory for it.
owned_bitmap draw_board_picture(const area_record &area, const loaded_tiles &tiles, int scale);

// What a command says when a picture cannot be made.
constexpr const char *no_memory_for_picture = "not enough memory for the picture";

// Whether out, a PNG to write, is one of inputs, the files to read; said in
// one line when it is.
bool writes_over_input(const std::string &out, const std::vector<std::string> &inputs);

// diff's picture: OLD's board, a gap of one cell in the editor's green,
// NEW's; in both halves the unchanged cells darkened and the changed ones
// framed in black and yellow, one of which shows on any tile. Empty when
// there is not memory for it.
constexpr int difference_width = 2 * board_size + tile_size;  // at scale 1
owned_bitmap draw_difference(const area_record &old_area, const area_record &new_area,
                             const std::vector<area_difference> &differences, const loaded_tiles &tiles,
                             int scale);

// picture saved as a whole PNG into the open file fd at temp_path, for
// replace_file(s); returns why it could not be, empty when it was.
std::string save_whole_png(int fd, const std::string &temp_path, BITMAP *picture);

// picture written to out whole, or out left as it was; returns why.
std::string write_png(const std::string &out, BITMAP *picture);
