// The built tile set, graphics.dat: nine 35 x 35 bitmaps in value order,
// each the picture drawn for its value, and no two alike. Needs no display.
// Then load_tiles' reasons for datafiles that are whole but no tile set.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <allegro.h>

#include "support/files.h"
#include "tiles/tiles.h"

namespace {

constexpr int centre = tile_size / 2;
constexpr int corner_probe = 5;

struct datafile_unloader {
    void operator()(DATAFILE *d) const { unload_datafile(d); }
};
struct bitmap_destroyer {
    void operator()(BITMAP *b) const { destroy_bitmap(b); }
};
using datafile_ptr = std::unique_ptr<DATAFILE, datafile_unloader>;
using bitmap_ptr = std::unique_ptr<BITMAP, bitmap_destroyer>;

// The library may start only once a process.
void start_library()
{
    static const bool started = [] {
        if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
            return false;
        set_color_depth(24);
        return true;
    }();
    ASSERT_TRUE(started) << "install_allegro failed";
}

datafile_ptr open_built_tile_set()
{
    return datafile_ptr(load_datafile(TILE_SET_PATH));
}

BITMAP *entry_bitmap(DATAFILE *tile_set, int v)
{
    return static_cast<BITMAP *>(tile_set[v].dat);
}

bool same_pixels(BITMAP *a, BITMAP *b)
{
    if (a->w != b->w || a->h != b->h)
        return false;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (getpixel(a, x, y) != getpixel(b, x, y))
                return false;
    return true;
}

TEST(tile_set, holds_nine_35_pixel_bitmaps_first)
{
    start_library();
    datafile_ptr tile_set = open_built_tile_set();
    ASSERT_TRUE(tile_set) << "cannot load " << TILE_SET_PATH;
    int entries = 0;
    while (tile_set.get()[entries].type != DAT_END)
        ++entries;
    ASSERT_GE(entries, painted_tiles);
    for (int v = 0; v < painted_tiles; ++v) {
        ASSERT_EQ(tile_set.get()[v].type, DAT_BITMAP) << "entry " << v;
        BITMAP *picture = entry_bitmap(tile_set.get(), v);
        EXPECT_EQ(picture->w, tile_size) << "entry " << v;
        EXPECT_EQ(picture->h, tile_size) << "entry " << v;
    }
}

TEST(tile_set, entry_v_is_the_picture_of_value_v)
{
    start_library();
    datafile_ptr tile_set = open_built_tile_set();
    ASSERT_TRUE(tile_set) << "cannot load " << TILE_SET_PATH;
    for (int v = 0; v < painted_tiles; ++v) {
        std::string path = std::string(TILE_ASSETS_PATH) + "/tile" + std::to_string(v) + ".bmp";
        bitmap_ptr drawn(load_bmp(path.c_str(), nullptr));
        ASSERT_TRUE(drawn) << "cannot load " << path;
        ASSERT_EQ(tile_set.get()[v].type, DAT_BITMAP) << "entry " << v;
        EXPECT_TRUE(same_pixels(entry_bitmap(tile_set.get(), v), drawn.get()))
            << "entry " << v << " is not " << path;
    }
}

// Window tests tell tiles apart by the pixels at the centre and at (5,5),
// and a painted cell from an empty one or the outside by its centre.
TEST(tile_set, nine_pictures_differ_at_both_probe_pixels)
{
    start_library();
    datafile_ptr tile_set = open_built_tile_set();
    ASSERT_TRUE(tile_set) << "cannot load " << TILE_SET_PATH;
    for (int v = 0; v < painted_tiles; ++v)
        ASSERT_EQ(tile_set.get()[v].type, DAT_BITMAP) << "entry " << v;
    const int empty = makecol(0, 0, 0);
    const int outside = makecol(0, 200, 0);
    for (int v = 0; v < painted_tiles; ++v) {
        BITMAP *a = entry_bitmap(tile_set.get(), v);
        int middle = getpixel(a, centre, centre);
        EXPECT_NE(middle, empty) << "tile " << v;
        EXPECT_NE(middle, outside) << "tile " << v;
        for (int w = 0; w < v; ++w) {
            BITMAP *b = entry_bitmap(tile_set.get(), w);
            EXPECT_NE(getpixel(a, centre, centre), getpixel(b, centre, centre))
                << "tiles " << w << " and " << v << " share the centre";
            EXPECT_NE(getpixel(a, corner_probe, corner_probe), getpixel(b, corner_probe, corner_probe))
                << "tiles " << w << " and " << v << " share (5,5)";
        }
    }
}

// The built tile set with its object count (big-endian, after the 8 bytes of
// magic) set to count; the objects past it are left as they were, unread.
std::string with_object_count(std::string datafile, unsigned count)
{
    for (int i = 0; i < 4; ++i)
        datafile[8 + i] = static_cast<char>(count >> (24 - 8 * i));
    return datafile;
}

// The built tile set with data objects of no bytes after its tiles: no
// longer plain bitmaps, so loaded on trial in a child first, and slow.
std::string with_data_objects(const std::string &datafile, unsigned added)
{
    std::string bytes = with_object_count(datafile, painted_tiles + added);
    for (unsigned i = 0; i < added; ++i)
        bytes.append("DATA\0\0\0\0\0\0\0\0", 12);  // type, stored size, unpacked size
    return bytes;
}

TEST(tile_set, load_gives_the_reason_a_whole_datafile_is_no_tile_set)
{
    start_library();
    std::string built = read_file(TILE_SET_PATH);
    ASSERT_EQ(built.compare(0, 12, std::string("slh.ALL.\0\0\0\x09", 12)), 0);
    std::filesystem::path folder = make_test_folder(), path = folder / "graphics.dat";
    struct case_ {
        const char *what;
        std::string bytes;
        std::chrono::milliseconds deadline;
        std::string why;
    };
    const case_ cases[] = {
        {"eight entries", with_object_count(built, 8), tile_set_load_deadline,
         "holds 8 entries, fewer than the 9 tiles"},
#ifndef _WIN32  // Windows tries the load in place, without a deadline
        {"a trial past its deadline", with_data_objects(built, 100000), std::chrono::milliseconds(0),
         "damaged or cut short"},
#endif
        {"the same file in time", with_data_objects(built, 100000), tile_set_load_deadline, ""},
    };
    for (const case_ &c : cases) {
        write_file(path, c.bytes);
        loaded_tiles tiles;
        EXPECT_EQ(load_tiles(path.string(), tiles, c.deadline), c.why) << c.what;
        EXPECT_EQ(tiles.datafile != nullptr, c.why.empty()) << c.what;
        unload_tiles(tiles);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
