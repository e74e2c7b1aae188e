// The drawing and PNG writing that the commands share: boards at a scale,
// diff's picture of a change, and PNGs written whole. save_png is trusted
// for nothing it does not check itself: each PNG is walked after it is
// written (png_is_whole) before it replaces the old file. Start reading at
// write_png(), then draw_difference().

#include "tool/drawing.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <loadpng.h>

#include "platform/platform.h"
#include "tiles/tiles.h"
#include "tool/tool.h"

namespace {

// save_png reports no failure of its last writes, as on a full disk, and
// leaves the file cut short. So the file is walked: the signature, then
// chunk after chunk, ending with IEND exactly at the end of the file.
bool png_is_whole(int fd)
{
    static constexpr unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    constexpr std::int64_t chunk_frame = 12;  // length, type and CRC around a chunk's data
    unsigned char head[8];
    std::int64_t size = file_size(fd);
    if (size < 0 || !read_at(fd, 0, head, sizeof head) || std::memcmp(head, signature, sizeof signature) != 0)
        return false;
    for (std::int64_t at = sizeof signature; at + chunk_frame <= size;) {
        if (!read_at(fd, at, head, sizeof head))
            return false;
        at += chunk_frame + big_endian(head);
        if (std::memcmp(head + 4, "IEND", 4) == 0)
            return at == size;
    }
    return false;
}

constexpr int png_compression_level = 6;  // zlib's default

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

owned_bitmap make_bitmap(int width, int height)
{
    return owned_bitmap(create_bitmap(width, height));
}

owned_bitmap make_bitmap(int width, int height, int depth)
{
    return owned_bitmap(create_bitmap_ex(depth, width, height));
}

bool start_drawing(int depth, const std::string &path, loaded_tiles &tiles)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        report("cannot start the graphics library", allegro_error);
        return false;
    }
    // Set before the tile set is loaded: its pictures are converted to it.
    set_color_depth(depth);
    if (std::string why = load_tiles(path, tiles); !why.empty()) {
        report("cannot use the tile set " + path, why);
        return false;
    }
    return true;
}

std::string tile_set_to_draw(const std::string &tiles_given)
{
    if (!tiles_given.empty())
        return tiles_given;
    std::string found = find_tile_set();
    if (found.empty())
        report("cannot use the tile set " + std::string(tile_set_file), missing_tile_set());
    return found;
}

std::string save_whole_png(int fd, const std::string &temp_path, BITMAP *picture)
{
    // The PNG add-on compresses at zlib's best by default: for a page of
    // hundreds of pictures or an atlas several times slower than zlib's
    // default level, for files a few percent smaller.
    _png_compression_level = png_compression_level;
    if (save_png(temp_path.c_str(), picture, nullptr) != 0)
        return "the PNG could not be written";
    if (!png_is_whole(fd))  // the same file, which save_png opened by name
        return "the PNG was cut short (is the disk full?)";
    return {};
}

std::string write_png(const std::string &out, BITMAP *picture)
{
    return replace_file(out, [picture](int fd, const std::string &temp_path) {
        return save_whole_png(fd, temp_path, picture);
    });
}

void copy_scaled(BITMAP *from, BITMAP *to, int scale, int left, int top)
{
    int depth = bitmap_color_depth(from);
    for (int y = 0; y < from->h; ++y) {
        for (int x = 0; x < from->w; ++x) {
            int c = getpixel(from, x, y);
            rectfill(to, left + x * scale, top + y * scale, left + (x + 1) * scale - 1,
                     top + (y + 1) * scale - 1,
                     makecol24(getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c)));
        }
    }
}

void draw_board_at(const area_record &area, const loaded_tiles &tiles, BITMAP *board, BITMAP *picture,
                   int scale, int x, int y)
{
    compose_board(area, tiles, board);
    copy_scaled(board, picture, scale, x, y);
}

owned_bitmap draw_board_picture(const area_record &area, const loaded_tiles &tiles, int scale)
{
    owned_bitmap board = make_bitmap(board_size, board_size);
    owned_bitmap picture = make_bitmap(board_size * scale, board_size * scale, png_depth);
    if (!board || !picture)
        return {};
    draw_board_at(area, tiles, board.get(), picture.get(), scale, 0, 0);
    return picture;
}

bool writes_over_input(const std::string &out, const std::vector<std::string> &inputs)
{
    for (const std::string &input : inputs) {
        if (same_file(out, input)) {
            report(out, "is one of the files to read; choose another PNG to write");
            return true;
        }
    }
    return false;
}

owned_bitmap draw_difference(const area_record &old_area, const area_record &new_area,
                             const std::vector<area_difference> &differences, const loaded_tiles &tiles,
                             int scale)
{
    owned_bitmap board = make_bitmap(board_size, board_size);
    owned_bitmap picture = make_bitmap(difference_width * scale, board_size * scale, png_depth);
    if (!board || !picture)
        return {};
    bool changed[board_cols][board_rows] = {};
    for (const area_difference &difference : differences) {
        if (difference.part == area_part::cell)
            changed[difference.col][difference.row] = true;
    }
    clear_to_color(picture.get(), colour_at_depth(outside_colour, png_depth));
    int cell = tile_size * scale;
    for (auto [area, x] : {std::pair{&old_area, 0}, {&new_area, (board_size + tile_size) * scale}}) {
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
    return picture;
}
