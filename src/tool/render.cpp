// areatool render: draws an area's board into a PNG with the editor's own
// drawing code; and the drawing pieces render shares with check and
// tileset. Start reading at run_render().

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <allegro.h>
#include <loadpng.h>

#include "platform/platform.h"
#include "text/text.h"
#include "tool/tool.h"

namespace {

constexpr int depths[] = {15, 16, 24, 32};

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

}  // namespace

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

// to is at png_depth whatever from's depth.
void copy_scaled(BITMAP *from, BITMAP *to, int scale)
{
    int depth = bitmap_color_depth(from);
    for (int y = 0; y < from->h; ++y) {
        for (int x = 0; x < from->w; ++x) {
            int c = getpixel(from, x, y);
            rectfill(to, x * scale, y * scale, (x + 1) * scale - 1, (y + 1) * scale - 1,
                     makecol24(getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c)));
        }
    }
}

int run_render(const std::vector<std::string> &args)
{
    std::string tiles;
    int scale = default_scale;
    int depth = default_depth;
    std::vector<std::string> files;
    std::string why = parse_arguments("render", args, {
        take_tiles(tiles),
        take_scale(scale),
        {depth_option, [&](const std::string &value) -> std::string {
             depth = parse_bounded(value, depths[0], depths[std::size(depths) - 1]);
             for (int known : depths) {
                 if (depth == known)
                     return {};
             }
             return "--depth takes 15, 16, 24 or 32, not '" + printable(value) + "'";
         }}}, files);
    if (why.empty() && files.size() != 2)
        why = "render takes one area file and one PNG to write";
    if (!why.empty())
        return refuse_command_line(why);

    const std::string &path = files[0];
    const std::string &out = files[1];
    tiles = tile_set_to_draw(tiles);
    if (tiles.empty())
        return status_file_problem;
    if (same_file(out, path) || same_file(out, tiles)) {
        report(out, "is one of the files to read; choose another PNG to write");
        return status_usage;
    }
    area_record area;
    bool longer = false;
    if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
        report("cannot read " + path, why);
        return status_file_problem;
    }
    loaded_tiles drawn;
    if (!start_drawing(depth, tiles, drawn))
        return status_file_problem;

    int status = status_file_problem;
    int size = board_size * scale;
    BITMAP *board = create_bitmap(board_size, board_size);
    BITMAP *picture = create_bitmap_ex(png_depth, size, size);
    if (!board || !picture) {
        report(out, "not enough memory for the picture");
    } else {
        compose_board(area, drawn, board);
        copy_scaled(board, picture, scale);
        if (std::string why = write_png(out, picture); !why.empty())
            report("cannot write " + out, why);
        else
            status = status_fine;
    }
    if (picture)
        destroy_bitmap(picture);
    if (board)
        destroy_bitmap(board);
    unload_tiles(drawn);
    return status;
}
