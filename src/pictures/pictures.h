// What areatool draws: boards at a scale, diff's picture of a change, the
// atlas of many boards and Tiled's tile sheet, drawn with the editor's own
// tile set and written as PNGs whole or not at all. Bitmaps and tile sets
// are owned: released when their owner goes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <allegro.h>

#include "records/records.h"
#include "tiles/tiles.h"

// Pictures are drawn for the PNG writer at 24 bits, three bytes a pixel
// with no opacity, whatever the depth their boards are composed at.
constexpr int png_depth = 24;

struct bitmap_destroyer {
    void operator()(BITMAP *bitmap) const { destroy_bitmap(bitmap); }
};
using owned_bitmap = std::unique_ptr<BITMAP, bitmap_destroyer>;

// What a command says when a picture cannot be made.
constexpr const char *no_memory_for_picture = "not enough memory for the picture";

// A bitmap made into bitmap, at depth or, with depth_set, at the colour
// depth set; returns no_memory_for_picture when there is not memory for it.
constexpr int depth_set = 0;
std::string make_bitmap(int width, int height, int depth, owned_bitmap &bitmap);

// A tile set loaded for drawing, unloaded when it goes.
struct owned_tiles {
    loaded_tiles tiles;
    owned_tiles() = default;
    owned_tiles(const owned_tiles &) = delete;
    owned_tiles &operator=(const owned_tiles &) = delete;
    ~owned_tiles() { unload_tiles(tiles); }
};

// What a drawing command asks for before it draws: the tile set it names
// (empty: the one the editor would read), the colour depth, the files it
// writes and those it reads, which none of the first may be, and what it
// says of an output that is an input.
struct drawing_plan {
    std::string tiles_given;
    int depth;
    std::vector<std::string> outputs, inputs;
    std::string overwrite_refusal = "is one of the files to read; choose another PNG to write";
};
// The tile set found and loaded into tiles after the graphics library is
// started without a display, once no output is an input. Returns why
// drawing cannot start, empty when it can; output_is_input tells that the
// command line is at fault.
std::string start_drawing(const drawing_plan &plan, owned_tiles &tiles, bool &output_is_input);
// Only the library started at depth and the tile set at path loaded, for a
// command that draws nothing but reads the tile set's values.
std::string load_tiles_for_drawing(const std::string &path, int depth, owned_tiles &tiles);

// from copied onto to, which is at png_depth, each pixel a scale x scale
// square, from's top left at (x, y).
void copy_scaled(BITMAP *from, BITMAP *to, int scale, int x = 0, int y = 0);

// area's board as render draws it, at scale, onto picture (at png_depth)
// with its top left at (x, y). board is a board_size square to compose it
// on, at the colour depth set.
void draw_board_at(const area_record &area, const loaded_tiles &tiles, BITMAP *board, BITMAP *picture,
                   int scale, int x, int y);

// area's board as render draws it, at scale, into a picture of its own at
// png_depth; returns why it could not be drawn.
std::string draw_board_picture(const area_record &area, const loaded_tiles &tiles, int scale,
                               owned_bitmap &picture);

// diff's picture: OLD's board, a gap of one cell in the editor's green,
// NEW's; in both halves the unchanged cells darkened and the changed ones
// framed in black and yellow, one of which shows on any tile. Returns why
// it could not be drawn.
constexpr int difference_gap = tile_size;                           // between the boards, at scale 1
constexpr int difference_width = 2 * board_size + difference_gap;  // at scale 1
std::string draw_difference(const area_record &old_area, const area_record &new_area,
                            const std::vector<area_difference> &differences, const loaded_tiles &tiles, int scale,
                            owned_bitmap &picture);

// atlas: how the boards of count areas are laid out, columns to a row (0:
// the smallest number whose square holds them all), and the picture's size
// in pixels at scale 1.
struct atlas_layout {
    int columns = 0, rows = 0;
    std::int64_t width = 0, height = 0;
};
constexpr int atlas_margin = tile_size;                  // around each board, in pixels at scale 1
constexpr int atlas_pitch = board_size + atlas_margin;  // from one board to the next
atlas_layout lay_out_atlas(std::size_t count, int columns);
// One board of the atlas: the path named under it, and its area when it
// could be read (else its place is empty but for the name).
struct atlas_board {
    std::string path;
    bool read = false;
    area_record area{};
};
// Whether an atlas of layout at scale is within the PNG format's limit on
// a side.
bool atlas_fits_png(const atlas_layout &layout, int scale);
// The atlas of boards, laid out as layout says, at scale, written to out
// whole or not at all, drawn one band at a time: its memory is that of one
// band, whatever the number of boards. Returns why it could not be.
std::string write_atlas(const std::vector<atlas_board> &boards, const atlas_layout &layout,
                        const loaded_tiles &tiles, int scale, const std::string &out);

// Tiled's tile sheet: tile v, left to right and then down, what the editor
// draws for a cell holding v, for every value up to the tile set's last
// picture.
struct tile_sheet_layout {
    int count = 0, columns = 0, rows = 0;
};
tile_sheet_layout lay_out_tile_sheet(const loaded_tiles &tiles);
// The sheet drawn into sheet; returns why it could not be.
std::string draw_tile_sheet(const loaded_tiles &tiles, const tile_sheet_layout &layout, owned_bitmap &sheet);

// The PNG format's own limit on a side, in pixels.
constexpr std::int64_t png_side_limit = 0x7fffffff;

// PNGs are written row after row through libpng, at zlib's default level.
// Row y of a picture at png_depth, asked for from the top down.
using png_row_source = std::function<const unsigned char *(int y)>;
// A picture width x height written as PNG into the open file fd, row after
// row as row_at gives them; returns why it could not be, empty when it was.
std::string save_png_rows(int fd, int width, int height, const png_row_source &row_at);
// picture written as PNG into the open file fd, for replace_file(s).
std::string save_whole_png(int fd, BITMAP *picture);
// Draws the band of a picture that starts at its row top into band, a
// strip as wide as the picture at png_depth, whose row 0 is row top.
using band_drawer = std::function<void(BITMAP *band, int top)>;
// A picture width x height written as PNG into the open file fd, drawn by
// draw band_rows rows at a time from the top: only one band is in memory.
std::string save_png_in_bands(int fd, int width, int height, int band_rows, const band_drawer &draw);
// The same written to out whole, or out left as it was; return why not.
std::string write_png(const std::string &out, BITMAP *picture);
std::string write_png_in_bands(const std::string &out, int width, int height, int band_rows,
                               const band_drawer &draw);
