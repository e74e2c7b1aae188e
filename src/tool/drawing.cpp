// The drawing and PNG writing that render, check, diff and tileset share.
// save_png is trusted for nothing it does not check itself: each PNG is
// walked after it is written (png_is_whole) before it replaces the old
// file. Start reading at write_png().

#include "tool/drawing.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

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
