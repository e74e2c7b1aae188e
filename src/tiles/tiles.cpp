// The tile set: where graphics.dat is found, how it is checked before the
// graphics library reads it, and how a board is drawn from it. Start
// reading at load_tiles(), then compose_board().

#include "tiles/tiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <allegro.h>

#include "platform/platform.h"
#include "text/text.h"

namespace {

constexpr rgb unknown_colour{255, 0, 255};  // a value with no picture in the tile set
constexpr rgb unknown_mark_colour{255, 255, 255};
constexpr const char *unknown_mark = "?";

constexpr const char *not_a_datafile = "not a datafile of the graphics library";
constexpr const char *damaged_datafile = "damaged or cut short";
constexpr long skip_block = 4096;  // bytes read at a time when skipping an object

// The installed tile set's folder, from the program's: the build sets it
// from its install layout (../share/areaedit for bin/areaedit).
constexpr const char *installed_data_folder = AREAEDIT_DATA_FROM_PROGRAM;

// A datafile's numbers are big-endian 32-bit.
bool read_long(PACKFILE *f, std::int32_t &value)
{
    unsigned char b[4];
    if (pack_fread(b, sizeof b, f) != static_cast<long>(sizeof b))
        return false;
    value = static_cast<std::int32_t>(big_endian(b));
    return true;
}

bool skip_bytes(PACKFILE *f, std::int32_t n)
{
    char scratch[skip_block];
    while (n > 0) {
        long part = std::min<long>(n, skip_block);
        if (pack_fread(scratch, part, f) != part)
            return false;
        n -= part;
    }
    return true;
}

// A bitmap object's data: its depth (negative for 32 bits with alpha),
// width and height, each a big-endian 16-bit word, then its pixels.
constexpr std::int32_t bitmap_header_size = 6;

// Bytes a pixel takes in a stored bitmap of the given depth, or 0 for a
// depth the library cannot read into a bitmap of its own.
std::int32_t stored_pixel_size(int bits)
{
    switch (bits) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24:
    case 32: return 3;  // without alpha, only red, green and blue are stored
    case -32: return 4;
    default: return 0;
    }
}

// Whether an object's data, stored whole, is a bitmap the library reads
// without fail: a depth it knows, a size of its own, and the pixels that
// size needs, no more and no fewer. Leaves f past the object.
bool read_plain_bitmap(PACKFILE *f, std::int32_t stored, bool &readable)
{
    readable = false;
    if (stored < bitmap_header_size)
        return skip_bytes(f, stored);
    unsigned char head[bitmap_header_size];
    if (pack_fread(head, sizeof head, f) != static_cast<long>(sizeof head))
        return false;
    auto word = [&head](int at) { return static_cast<int>(big_endian(head + at, 2)); };
    int bits = static_cast<std::int16_t>(word(0));
    std::int64_t w = word(2), h = word(4);
    readable = w > 0 && h > 0 && stored_pixel_size(bits) > 0
               && bitmap_header_size + w * h * stored_pixel_size(bits) == stored;
    return skip_bytes(f, stored - bitmap_header_size);
}

// load_datafile trusts every count and size it reads: on a file cut short
// it crashes or never returns. So the framing is walked first: the magic,
// the object count, then each property and object must be there whole.
// plain tells whether the file holds only what the library is known to
// read soundly: bitmaps stored whole with their sizes right, and
// properties that do not pose as the end of their list.
std::string framing_problem(PACKFILE *f, bool &plain)
{
    plain = true;
    std::int32_t magic, count;
    if (!read_long(f, magic) || magic != DAT_MAGIC)
        return not_a_datafile;
    if (!read_long(f, count) || count < 0)
        return damaged_datafile;
    for (std::int32_t objects = 0; objects < count;) {
        std::int32_t type;
        if (!read_long(f, type))
            return damaged_datafile;
        if (type == DAT_PROPERTY) {
            std::int32_t id, size;
            if (!read_long(f, id) || !read_long(f, size) || size < 0 || !skip_bytes(f, size))
                return damaged_datafile;
            plain = plain && id != DAT_END;
            continue;
        }
        // A chunk: its stored size, then its unpacked size, negative when
        // the chunk is compressed; a stored chunk has both the same.
        std::int32_t stored, unpacked;
        if (!read_long(f, stored) || !read_long(f, unpacked) || stored < 0
            || (unpacked >= 0 && unpacked != stored))
            return damaged_datafile;
        bool readable = false;
        bool whole = type == DAT_BITMAP && unpacked >= 0 ? read_plain_bitmap(f, stored, readable)
                                                         : skip_bytes(f, stored);
        if (!whole)
            return damaged_datafile;
        plain = plain && readable;
        ++objects;
    }
    return {};
}

// The datafile at path read by the library, once its framing is known to
// be whole. Every read of a tile set goes through here.
std::string read_datafile(const std::string &path, DATAFILE *&datafile,
                          std::chrono::milliseconds deadline)
{
    PACKFILE *f = pack_fopen(path.c_str(), F_READ_PACKED);
    if (!f) {
        // The packfile layer does not say why; C's own open does.
        std::FILE *plain = std::fopen(path.c_str(), "rb");
        if (!plain)
            return std::strerror(errno);
        std::fclose(plain);
        return not_a_datafile;
    }
    bool plain = false;
    std::string why = framing_problem(f, plain);
    pack_fclose(f);
    if (!why.empty())
        return why;
    // The library crashes on some damaged datafiles whose framing reads
    // well (it frees twice when an object fails to load): a trial load in
    // a child process of its own keeps that out of this one. A file of
    // plain bitmaps cannot fail to load, and is spared the child's cost.
    if (plain) {
        datafile = load_datafile(path.c_str());
        return datafile ? "" : damaged_datafile;
    }
    auto trial = [&path] {
        DATAFILE *loaded = load_datafile(path.c_str());
        unload_datafile(loaded);
        return loaded != nullptr;
    };
    if (!run_in_child(trial, deadline).empty())
        return damaged_datafile;
    datafile = load_datafile(path.c_str());
    return datafile ? "" : damaged_datafile;
}

// The folders find_tile_set tries after the working folder, in order.
std::vector<std::filesystem::path> tile_set_folders()
{
    std::string program = program_folder();
    if (program.empty())
        return {};
    std::filesystem::path beside(program);
    return {beside, (beside / installed_data_folder).lexically_normal()};
}

void draw_unknown_tile(BITMAP *board, int x, int y)
{
    rectfill(board, x, y, x + tile_size - 1, y + tile_size - 1, colour(unknown_colour));
    textout_centre_ex(board, font, unknown_mark, x + tile_size / 2,
                      y + (tile_size - text_height(font)) / 2, colour(unknown_mark_colour), -1);
}

}  // namespace

std::uint32_t big_endian(const unsigned char *bytes, int size)
{
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | bytes[i];
    return value;
}

int colour(rgb c)
{
    return makecol(c.red, c.green, c.blue);
}

int colour_at_depth(rgb c, int depth)
{
    return makecol_depth(depth, c.red, c.green, c.blue);
}

std::string find_tile_set(std::string &path)
{
    std::error_code error;
    // The working folder's own always wins, even when it cannot be used:
    // the user is told so rather than given other pictures.
    if (std::filesystem::exists(tile_set_file, error)) {
        path = tile_set_file;
        return {};
    }
    for (const auto &folder : tile_set_folders()) {
        std::filesystem::path found = folder / tile_set_file;
        if (std::filesystem::exists(found, error)) {
            path = found.string();
            return {};
        }
    }
    std::string why = std::strerror(ENOENT) + std::string(" in the working folder");
    auto folders = tile_set_folders();
    for (std::size_t i = 0; i < folders.size(); ++i)
        why += (i + 1 == folders.size() ? " or in " : ", in ") + printable(folders[i].string());
    return why;
}

std::string load_tiles(const std::string &path, loaded_tiles &tiles,
                       std::chrono::milliseconds deadline)
{
    unload_tiles(tiles);
    if (std::string why = read_datafile(path, tiles.datafile, deadline); !why.empty())
        return why;
    while (tiles.datafile[tiles.count].type != DAT_END)
        ++tiles.count;
    std::string why;
    if (tiles.count < painted_tiles) {
        why = "holds " + std::to_string(tiles.count) + " entries, fewer than the "
              + std::to_string(painted_tiles) + " tiles";
    }
    for (int v = 0; v < painted_tiles && why.empty(); ++v) {
        if (tiles.datafile[v].type != DAT_BITMAP)
            why = "entry " + std::to_string(v) + " is not a bitmap";
    }
    if (!why.empty())
        unload_tiles(tiles);
    return why;
}

void unload_tiles(loaded_tiles &tiles)
{
    if (tiles.datafile)
        unload_datafile(tiles.datafile);
    tiles = {};
}

BITMAP *tile_picture(const loaded_tiles &tiles, int value)
{
    if (value < 0 || value >= tiles.count || tiles.datafile[value].type != DAT_BITMAP)
        return nullptr;
    return static_cast<BITMAP *>(tiles.datafile[value].dat);
}

void compose_board(const area_record &area, const loaded_tiles &tiles, BITMAP *board)
{
    clear_to_color(board, colour(empty_colour));
    for (int c = 0; c < board_cols; ++c) {
        for (int r = 0; r < board_rows; ++r) {
            int value = area.cells[c][r];
            if (value == empty_tile)
                continue;
            if (BITMAP *tile = tile_picture(tiles, value))
                blit(tile, board, 0, 0, c * tile_size, r * tile_size, tile_size, tile_size);
            else
                draw_unknown_tile(board, c * tile_size, r * tile_size);
        }
    }
}

bool value_drawable(const loaded_tiles &tiles, std::int32_t value)
{
    if (value == empty_tile)
        return true;
    if (!tiles.datafile)
        return value >= 0 && value < painted_tiles;
    return tile_picture(tiles, value) != nullptr;
}
