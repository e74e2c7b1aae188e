// The drawing the commands share: the graphics library started without a
// display and the tile set loaded, boards at a scale, and diff's picture of
// a change. Start reading at start_drawing(), then draw_difference().

#include "pictures/pictures.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "tiles/tiles.h"
#include "text/text.h"

namespace {

// The frame of a changed cell: two rings, each ring_width pixels wide at
// scale 1, inside the cell's edge. Tile sets drawn with the library's tools
// often have a magenta background, the library's mask colour; of black and
// yellow one shows on any picture.
constexpr rgb outer_ring_colour{0, 0, 0};
constexpr rgb inner_ring_colour{255, 255, 0};
constexpr int ring_width = 1;

// Frames the cell of a board drawn at scale with its top left at (left, top).
void frame_cell(BITMAP *picture, int left, int top, int scale)
{
    int size = tile_size * scale;
    for (int inset = 0; inset < 2 * ring_width * scale; ++inset) {
        rgb ring = inset < ring_width * scale ? outer_ring_colour : inner_ring_colour;
        rect(picture, left + inset, top + inset, left + size - 1 - inset, top + size - 1 - inset,
             colour_at_depth(ring, png_depth));
    }
}

// Halves each colour channel of the cell at (left, top) of a picture at
// png_depth, so that the eye goes to the cells that changed. Each channel
// is one byte there, whatever the order.
void darken_cell(BITMAP *picture, int left, int top, int scale)
{
    int size = tile_size * scale;
    for (int y = top; y < top + size; ++y) {
        unsigned char *pixel = picture->line[y] + 3 * left;
        for (int i = 0; i < 3 * size; ++i)
            pixel[i] /= 2;
    }
}

}  // namespace

std::string make_bitmap(int width, int height, int depth, owned_bitmap &bitmap)
{
    // The library sizes a bitmap's memory in an int.
    int bytes_per_pixel = ((depth == depth_set ? get_color_depth() : depth) + 7) / 8;
    if (std::int64_t{width} * height * bytes_per_pixel > std::numeric_limits<int>::max())
        return no_memory_for_picture;
    bitmap.reset(depth == depth_set ? create_bitmap(width, height) : create_bitmap_ex(depth, width, height));
    return bitmap ? "" : no_memory_for_picture;
}

std::string load_tiles_for_drawing(const std::string &path, int depth, owned_tiles &tiles)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return said_of("cannot start the graphics library", allegro_error);
    // Set before the tile set is loaded: its pictures are converted to it.
    set_color_depth(depth);
    if (std::string why = load_tiles(path, tiles.tiles); !why.empty())
        return said_of("cannot use the tile set " + path, why);
    return {};
}

std::string start_drawing(const drawing_plan &plan, owned_tiles &tiles, bool &output_is_input)
{
    output_is_input = false;
    std::string path = plan.tiles_given;
    if (path.empty()) {
        if (std::string why = find_tile_set(path); !why.empty())
            return said_of("cannot use the tile set " + std::string(tile_set_file), why);
    }
    std::vector<std::string> read = plan.inputs;
    read.push_back(path);
    for (const std::string &out : plan.outputs) {
        for (const std::string &input : read) {
            if (same_file(out, input)) {
                output_is_input = true;
                return said_of(out, plan.overwrite_refusal);
            }
        }
    }
    return load_tiles_for_drawing(path, plan.depth, tiles);
}

void copy_scaled(BITMAP *from, BITMAP *to, int scale, int left, int top)
{
    // Only what lands inside to is copied (a band of the atlas holds part
    // of a board), straight into its rows: a row of from is enlarged once,
    // then copied to the rows under it. A pixel at png_depth is the number
    // makecol24 gives, lowest byte first.
    int depth = bitmap_color_depth(from);
    int x0 = std::max(0, left), x1 = std::min(to->w, left + from->w * scale);
    int y0 = std::max(0, top), y1 = std::min(to->h, top + from->h * scale);
    for (int y = y0; y < y1; ++y) {
        unsigned char *line = to->line[y];
        if (y > y0 && (y - top) % scale != 0) {
            std::memcpy(line + 3 * x0, to->line[y - 1] + 3 * x0, 3 * static_cast<std::size_t>(x1 - x0));
            continue;
        }
        for (int x = x0; x < x1;) {
            int c = getpixel(from, (x - left) / scale, (y - top) / scale);
            int c24 = makecol24(getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c));
            for (int end = std::min(x1, left + ((x - left) / scale + 1) * scale); x < end; ++x) {
                line[3 * x] = static_cast<unsigned char>(c24);
                line[3 * x + 1] = static_cast<unsigned char>(c24 >> 8);
                line[3 * x + 2] = static_cast<unsigned char>(c24 >> 16);
            }
        }
    }
}

namespace {

// A board to compose on, at the depth set, and a picture of width x height
// at png_depth to copy it onto.
std::string make_board_and_picture(int width, int height, owned_bitmap &board, owned_bitmap &picture)
{
    std::string why = make_bitmap(board_size, board_size, depth_set, board);
    return why.empty() ? make_bitmap(width, height, png_depth, picture) : why;
}

}  // namespace

void draw_board_at(const area_record &area, const loaded_tiles &tiles, BITMAP *board, BITMAP *picture,
                   int scale, int x, int y)
{
    compose_board(area, tiles, board);
    copy_scaled(board, picture, scale, x, y);
}

std::string draw_board_picture(const area_record &area, const loaded_tiles &tiles, int scale,
                               owned_bitmap &picture)
{
    owned_bitmap board;
    if (std::string why = make_board_and_picture(board_size * scale, board_size * scale, board, picture);
        !why.empty())
        return why;
    draw_board_at(area, tiles, board.get(), picture.get(), scale, 0, 0);
    return {};
}

std::string draw_difference(const area_record &old_area, const area_record &new_area,
                            const std::vector<area_difference> &differences, const loaded_tiles &tiles, int scale,
                            owned_bitmap &picture)
{
    owned_bitmap board;
    if (std::string why = make_board_and_picture(difference_width * scale, board_size * scale, board, picture);
        !why.empty())
        return why;
    bool changed[board_cols][board_rows] = {};
    for (const area_difference &difference : differences) {
        if (difference.part == area_part::cell)
            changed[difference.col][difference.row] = true;
    }
    clear_to_color(picture.get(), colour_at_depth(outside_colour, png_depth));
    int cell = tile_size * scale;
    for (auto [area, x] : {std::pair{&old_area, 0}, {&new_area, (board_size + difference_gap) * scale}}) {
        draw_board_at(*area, tiles, board.get(), picture.get(), scale, x, 0);
        for (int col = 0; col < board_cols; ++col) {
            for (int row = 0; row < board_rows; ++row) {
                if (changed[col][row])
                    frame_cell(picture.get(), x + col * cell, row * cell, scale);
                else
                    darken_cell(picture.get(), x + col * cell, row * cell, scale);
            }
        }
    }
    return {};
}
