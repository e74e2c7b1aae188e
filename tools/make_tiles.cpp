// Draws the editor's nine tile pictures and writes them as tile0.bmp ..
// tile8.bmp into the folder given on the command line (the checkout's
// assets/). Each picture is a patterned ground with its tile value in a big
// outlined digit on top, since nothing else on screen says which number key
// gives which tile.
//
// Start reading at main(), then draw_tile().

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include <allegro.h>

#include "tiles/tiles.h"

namespace {

constexpr int centre = tile_size / 2;
constexpr int digit_scale = 3;  // the library's 8 x 8 font, three times over
constexpr int glyph_size = 8;
constexpr int corner_probe = 5;  // (5,5): the second pixel that tells tiles apart
constexpr double pi = 3.14159265358979323846;


int clamp_channel(int value)
{
    return value < 0 ? 0 : value > 255 ? 255 : value;
}

rgb mix(rgb a, rgb b, double t)
{
    return {clamp_channel(static_cast<int>(std::lround(a.red + (b.red - a.red) * t))),
            clamp_channel(static_cast<int>(std::lround(a.green + (b.green - a.green) * t))),
            clamp_channel(static_cast<int>(std::lround(a.blue + (b.blue - a.blue) * t)))};
}

rgb shade(rgb c, int by)
{
    return {clamp_channel(c.red + by), clamp_channel(c.green + by), clamp_channel(c.blue + by)};
}

// A small repeatable scatter, so the speckles are the same on every run.
unsigned scatter(int x, int y, int seed)
{
    unsigned h = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u ^
                 static_cast<unsigned>(seed) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// 0: floor, square stone slabs with grout between them.
rgb floor_pixel(int x, int y)
{
    constexpr int slab = 12;
    if (x % slab == slab - 1 || y % slab == slab - 1)
        return {118, 112, 104};
    rgb stone = (x / slab + y / slab) % 2 ? rgb{160, 154, 144} : rgb{178, 172, 160};
    return shade(stone, static_cast<int>(scatter(x, y, 0) % 9) - 4);
}

// 1: wall, red bricks in staggered courses.
rgb wall_pixel(int x, int y)
{
    constexpr int course = 7;
    constexpr int brick = 12;
    int row = y / course;
    int shifted = x + (row % 2 ? brick / 2 : 0);
    if (y % course == course - 1 || shifted % brick == brick - 1)
        return {208, 198, 184};
    int tint = static_cast<int>(scatter(shifted / brick, row, 1) % 31) - 15;
    return shade({168, 62, 42}, tint);
}

// 2: water, blue with rolling wave crests.
rgb water_pixel(int x, int y)
{
    double wave = y + 2.0 * std::sin(x * 2.0 * pi / 12.0);
    double phase = std::fmod(wave + 90.0, 8.0);
    if (phase < 1.2)
        return {150, 200, 250};
    if (phase < 2.4)
        return {80, 135, 225};
    return {36, 84, 190};
}

// 3: the start, a red target ring on yellow (this tile also sets the mark).
rgb start_pixel(int x, int y)
{
    double distance = std::hypot(x - centre, y - centre);
    if (distance > 13.0 && distance < 16.5)
        return {212, 44, 32};
    if ((x + y) % 6 < 3 && distance >= 16.5)
        return {250, 222, 90};
    return {244, 200, 44};
}

// 4: grass, dark green ground with thin blades, light at the tip and dark
// at the root (kept well off the outside's pure green).
rgb grass_pixel(int x, int y)
{
    constexpr int blade = 4;
    int lifted = y + static_cast<int>(scatter(x, 0, 4) % blade);
    if (scatter(x, lifted / blade, 4) % 3 == 0) {
        switch (lifted % blade) {
        case 0: return {150, 204, 92};
        case 3: return {34, 84, 30};
        default: return {100, 164, 62};
        }
    }
    return {58, 128, 48};
}

// 5: ice, pale cyan with white glints running down to the left.
rgb ice_pixel(int x, int y)
{
    int streak = (x + y) % 11;
    if (streak == 0)
        return {246, 252, 255};
    if (streak == 1)
        return {214, 240, 250};
    if ((x - y + 70) % 17 == 0)
        return {140, 196, 220};
    return {172, 224, 240};
}

// 6: sand, tan with ripples and grains.
rgb sand_pixel(int x, int y)
{
    double ripple = std::fmod(y + 1.5 * std::sin(x * 2.0 * pi / 17.0) + 70.0, 6.0);
    rgb ground = ripple < 1.0 ? rgb{204, 170, 108} : rgb{228, 198, 138};
    unsigned h = scatter(x, y, 6) % 13;
    if (h == 0)
        return {176, 140, 84};
    if (h == 1)
        return {246, 228, 180};
    return ground;
}

// 7: wood, upright planks with grain and nails.
rgb wood_pixel(int x, int y)
{
    constexpr int plank = 7;
    int column = x / plank;
    int across = x % plank;
    if (across == plank - 1)
        return {66, 38, 18};
    if (across == plank / 2 - 1 && (y == 3 || y == tile_size - 4))
        return {190, 190, 180};
    double grain = std::sin(y * 0.55 + column * 1.9 + across * 0.9);
    rgb board = column % 2 ? rgb{142, 92, 46} : rgb{128, 82, 40};
    return grain > 0.75 ? shade(board, -26) : board;
}

// 8: exit, broad purple and lilac stripes.
rgb exit_pixel(int x, int y)
{
    return ((x - y + 70) / 5) % 2 ? rgb{118, 56, 168} : rgb{168, 120, 212};
}

using pattern = rgb (*)(int x, int y);

constexpr pattern ground_of_tile[painted_tiles] = {floor_pixel, wall_pixel,  water_pixel,
                                                start_pixel, grass_pixel, ice_pixel,
                                                sand_pixel,  wood_pixel,  exit_pixel};

// The digit's fill and outline; each tile's own, so that whatever part of the
// digit lands on the centre pixel differs between tiles.
constexpr rgb digit_fill[painted_tiles] = {
    {248, 248, 240}, {255, 236, 190}, {205, 235, 255}, {200, 30, 20}, {235, 255, 200},
    {20, 70, 140},   {110, 50, 10},   {255, 218, 150}, {255, 245, 110}};
constexpr rgb digit_outline[painted_tiles] = {
    {40, 40, 48},    {70, 16, 8},     {10, 30, 90},    {255, 248, 200}, {24, 72, 22},
    {240, 252, 255}, {255, 244, 210}, {44, 24, 8},     {50, 16, 80}};

rgb colour_at(BITMAP *picture, int x, int y)
{
    int c = getpixel(picture, x, y);
    return {getr(c), getg(c), getb(c)};
}

// At 15 bits a pixel keeps the top five bits of each channel; colours that
// must differ on screen must differ there too.
bool same_at_15_bits(rgb a, rgb b)
{
    return a.red >> 3 == b.red >> 3 && a.green >> 3 == b.green >> 3 && a.blue >> 3 == b.blue >> 3;
}

// Probe pixels of two tiles stay apart by two 15-bit steps in some channel,
// so that a reading rounded either way still tells them apart.
constexpr int probe_separation = 16;

bool too_close(rgb a, rgb b)
{
    return std::abs(a.red - b.red) < probe_separation &&
           std::abs(a.green - b.green) < probe_separation &&
           std::abs(a.blue - b.blue) < probe_separation;
}

struct digit_mask {
    bool on[tile_size][tile_size] = {};
    bool hole[tile_size][tile_size] = {};  // enclosed by the digit, as in 0, 4, 6, 8
};

// Everything the tile's edge cannot reach without crossing the digit. The
// tile is small enough to spread the outside one step a pass until it stops.
void find_holes(digit_mask &mask)
{
    bool outside[tile_size][tile_size] = {};
    constexpr int last = tile_size - 1;
    for (int y = 0; y < tile_size; ++y)
        for (int x = 0; x < tile_size; ++x)
            outside[y][x] = !mask.on[y][x] && (x == 0 || y == 0 || x == last || y == last);
    for (bool spread = true; spread;) {
        spread = false;
        for (int y = 1; y < last; ++y)
            for (int x = 1; x < last; ++x)
                if (!outside[y][x] && !mask.on[y][x] &&
                    (outside[y - 1][x] || outside[y + 1][x] || outside[y][x - 1] ||
                     outside[y][x + 1])) {
                    outside[y][x] = true;
                    spread = true;
                }
    }
    for (int y = 0; y < tile_size; ++y)
        for (int x = 0; x < tile_size; ++x)
            mask.hole[y][x] = !mask.on[y][x] && !outside[y][x];
}

// The value's digit, scaled up and centred on its own inked pixels rather
// than on the font's cell, which has blank columns on the right.
digit_mask make_digit_mask(int value)
{
    digit_mask mask;
    BITMAP *glyph = create_bitmap(glyph_size, glyph_size);
    BITMAP *big = create_bitmap(glyph_size * digit_scale, glyph_size * digit_scale);
    if (!glyph || !big) {
        std::fprintf(stderr, "make_tiles: out of memory\n");
        std::exit(EXIT_FAILURE);
    }
    const int ink = makecol(255, 255, 255);
    clear_to_color(glyph, makecol(0, 0, 0));
    // The font's zero is slashed, which reads as another sign at this size;
    // its capital O is the plain oval a zero should be.
    char text[2] = {value == 0 ? 'O' : static_cast<char>('0' + value), '\0'};
    textout_ex(glyph, font, text, 0, 0, ink, -1);
    stretch_blit(glyph, big, 0, 0, glyph_size, glyph_size, 0, 0, big->w, big->h);

    int left = big->w, right = -1, top = big->h, bottom = -1;
    for (int y = 0; y < big->h; ++y)
        for (int x = 0; x < big->w; ++x)
            if (getpixel(big, x, y) == ink) {
                left = x < left ? x : left;
                right = x > right ? x : right;
                top = y < top ? y : top;
                bottom = y > bottom ? y : bottom;
            }
    int dx = (tile_size - (right - left + 1)) / 2 - left;
    int dy = (tile_size - (bottom - top + 1)) / 2 - top;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (getpixel(big, x, y) == ink)
                mask.on[y + dy][x + dx] = true;
    destroy_bitmap(big);
    destroy_bitmap(glyph);
    find_holes(mask);
    return mask;
}

bool near_digit(const digit_mask &mask, int x, int y)
{
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) {
            int nx = x + ox, ny = y + oy;
            if (nx >= 0 && ny >= 0 && nx < tile_size && ny < tile_size && mask.on[ny][nx])
                return true;
        }
    return false;
}

// Ground, a one-pixel bevel so neighbouring cells of one tile still read as
// cells, then the outlined digit with a drop shadow.
void draw_tile(BITMAP *picture, int value)
{
    const digit_mask mask = make_digit_mask(value);
    constexpr int last = tile_size - 1;
    for (int y = 0; y < tile_size; ++y)
        for (int x = 0; x < tile_size; ++x) {
            rgb c = ground_of_tile[value](x, y);
            if (x == 0 || y == 0)
                c = mix(c, {255, 255, 255}, 0.35);
            else if (x == last || y == last)
                c = mix(c, {20, 20, 20}, 0.35);
            if (mask.on[y][x])
                c = digit_fill[value];
            else if (mask.hole[y][x] || near_digit(mask, x, y))
                c = digit_outline[value];
            else if (x > 0 && y > 0 && near_digit(mask, x - 1, y - 1))
                c = mix(c, digit_outline[value], 0.6);
            putpixel(picture, x, y, colour(c));
        }
}

// The promises the tests and the editor rely on: no pixel the colour of an
// empty cell or of the outside, and two probe pixels that differ clearly
// between all nine tiles even on a 15-bit screen.
bool check_tiles(BITMAP *const pictures[painted_tiles])
{
    bool good = true;
    for (int v = 0; v < painted_tiles; ++v) {
        for (int y = 0; y < tile_size; ++y)
            for (int x = 0; x < tile_size; ++x) {
                rgb c = colour_at(pictures[v], x, y);
                if (same_at_15_bits(c, empty_colour) || same_at_15_bits(c, outside_colour)) {
                    std::fprintf(stderr, "make_tiles: tile %d: pixel (%d,%d) reads as no tile\n",
                                 v, x, y);
                    good = false;
                }
            }
        for (int w = 0; w < v; ++w)
            for (int probe : {centre, corner_probe}) {
                rgb a = colour_at(pictures[v], probe, probe);
                rgb b = colour_at(pictures[w], probe, probe);
                if (too_close(a, b)) {
                    std::fprintf(stderr, "make_tiles: tiles %d and %d share pixel (%d,%d)\n",
                                 w, v, probe, probe);
                    good = false;
                }
            }
    }
    return good;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tiles ASSETS_FOLDER\n");
        return EXIT_FAILURE;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "make_tiles: cannot start the graphics library\n");
        return EXIT_FAILURE;
    }
    set_color_depth(24);

    BITMAP *pictures[painted_tiles];
    for (int v = 0; v < painted_tiles; ++v) {
        pictures[v] = create_bitmap(tile_size, tile_size);
        if (!pictures[v]) {
            std::fprintf(stderr, "make_tiles: out of memory\n");
            return EXIT_FAILURE;
        }
        draw_tile(pictures[v], v);
    }
    if (!check_tiles(pictures))
        return EXIT_FAILURE;

    for (int v = 0; v < painted_tiles; ++v) {
        std::string path = std::string(argv[1]) + "/tile" + std::to_string(v) + ".bmp";
        if (save_bmp(path.c_str(), pictures[v], nullptr) != 0) {
            std::fprintf(stderr, "make_tiles: cannot write %s\n", path.c_str());
            return EXIT_FAILURE;
        }
        destroy_bitmap(pictures[v]);
    }
    return EXIT_SUCCESS;
}
END_OF_MAIN()
