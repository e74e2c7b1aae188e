// The graphical editor. init_graphics and exit_graphics bring the library's
// window and devices up and down around each visit; edit_area runs the
// visit itself: one frame per vertical retrace, drawn by draw_board, then
// the brush from the number keys and a paint under the mouse.
//
// Start reading at edit_area().

#include "editor/editor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include <allegro.h>

#include "platform/platform.h"

BITMAP *board_bitmap = nullptr;
DATAFILE *tile_set = nullptr;
int tile_count = 0;

namespace {

struct rgb {
    int red, green, blue;
};
constexpr rgb outside_colour{0, 200, 0};    // the screen around the board
constexpr rgb empty_colour{0, 0, 0};        // empty cells
constexpr rgb unknown_colour{255, 0, 255};  // a value with no picture in the tile set
constexpr rgb unknown_mark_colour{255, 255, 255};
constexpr const char *unknown_mark = "?";

constexpr const char *not_a_datafile = "not a datafile of the graphics library";
constexpr const char *damaged_datafile = "damaged or cut short";
constexpr long skip_block = 4096;  // bytes read at a time when skipping an object

// The installed tile set's folder, from the program's: the build sets it
// from its install layout (../share/areaedit for bin/areaedit).
constexpr const char *installed_data_folder = AREAEDIT_DATA_FROM_PROGRAM;

constexpr int left_button = 1;  // bit of mouse_b
constexpr int erase_key_digit = 9;

static_assert(KEY_9 == KEY_0 + erase_key_digit, "the number keys must be consecutive");

bool library_ready = false;   // install_allegro has succeeded in this process
bool keyboard_ready = false;  // the keyboard driver is installed, so Escape can be read

int colour(rgb c)
{
    return makecol(c.red, c.green, c.blue);
}

// Ends the program from inside a visit: back to text mode first, so the
// message is on the console and the window is gone.
[[noreturn]] void fail_visit(const char *what, const char *why)
{
    exit_graphics(graphics_flags);
    std::fprintf(stderr, "areaedit: %s: %s\n", what, why);
    std::exit(EXIT_FAILURE);
}

[[noreturn]] void refuse_graphics_mode()
{
    if (library_ready)
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    std::printf("Cannot set a graphics mode");
    std::fflush(stdout);
    std::exit(EXIT_FAILURE);
}

// The library may be initialised only once a process: a second
// install_allegro fails and leaves it without a system driver, and the next
// set_gfx_mode then crashes.
void start_library()
{
    if (!library_ready)
        library_ready = install_allegro(SYSTEM_AUTODETECT, &errno, atexit) == 0;
}

void install_devices()
{
    silence_sound_library();
    install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr);
    install_timer();
    keyboard_ready = install_keyboard() == 0;
    install_mouse();
    install_sound_input(DIGI_AUTODETECT, MIDI_NONE);
}

// A datafile's numbers are big-endian 32-bit.
bool read_long(PACKFILE *f, std::int32_t &value)
{
    unsigned char b[4];
    if (pack_fread(b, sizeof b, f) != static_cast<long>(sizeof b))
        return false;
    value = static_cast<std::int32_t>(std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16
                                      | std::uint32_t{b[2]} << 8 | std::uint32_t{b[3]});
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

// load_datafile trusts every count and size it reads: on a file cut short
// it crashes or never returns. So the framing is walked first: the magic,
// the object count, then each property and object must be there whole.
const char *framing_problem(PACKFILE *f)
{
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
            continue;
        }
        // A chunk: its stored size, then its unpacked size, negative when
        // the chunk is compressed; a stored chunk has both the same.
        std::int32_t stored, unpacked;
        if (!read_long(f, stored) || !read_long(f, unpacked) || stored < 0
            || (unpacked >= 0 && unpacked != stored) || !skip_bytes(f, stored))
            return damaged_datafile;
        ++objects;
    }
    return nullptr;
}

const char *tile_set_problem(const char *path)
{
    PACKFILE *f = pack_fopen(path, F_READ_PACKED);
    if (!f)
        return ::access(path, R_OK) != 0 ? std::strerror(errno) : not_a_datafile;
    const char *why = framing_problem(f);
    pack_fclose(f);
    return why;
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

void release_board()
{
    if (board_bitmap)
        destroy_bitmap(board_bitmap);
    board_bitmap = nullptr;
    unload_tile_set();
}

void draw_unknown_tile(BITMAP *board, int x, int y)
{
    rectfill(board, x, y, x + tile_size - 1, y + tile_size - 1, colour(unknown_colour));
    textout_centre_ex(board, font, unknown_mark, x + tile_size / 2,
                      y + (tile_size - text_height(font)) / 2, colour(unknown_mark_colour), -1);
}

void paint_under_mouse(int brush)
{
    // One reading a frame: the library updates these on its own.
    int x = mouse_x;
    int y = mouse_y;
    int buttons = mouse_b;
    if (!(buttons & left_button))
        return;
    if (auto cell = cell_at(x, y))
        paint_cell(*cell, brush);
}

}  // namespace

void init_graphics(int width, int height, int virtual_width, int virtual_height,
                   std::int8_t flags, int color_depth)
{
    start_library();
    if (!(flags & graphics_flag_devices))
        return;
    set_color_depth(color_depth);
    // Without a system driver (no display) the library crashes inside
    // set_gfx_mode, so a failed start counts as a refused mode.
    if (!library_ready
        || set_gfx_mode(GFX_AUTODETECT_WINDOWED, width, height, virtual_width, virtual_height) < 0)
        refuse_graphics_mode();
    watch_display();
    install_devices();
}

void exit_graphics(std::int8_t flags)
{
    if (!(flags & graphics_flag_devices) || !library_ready)
        return;
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    remove_sound();
    remove_timer();
    remove_keyboard();
    remove_mouse();
    keyboard_ready = false;
}

void edit_area()
{
    if (!keyboard_ready) {
        exit_graphics(graphics_flags);
        std::fprintf(stderr, "areaedit: no keyboard to leave the editor with; the area is unchanged\n");
        return;
    }
    prepare_board();
    clear_to_color(screen, colour(outside_colour));
    show_mouse(screen);
    int brush = empty_tile;
    while (!key[KEY_ESC]) {
        draw_board();
        brush = brush_from_keys(key, brush);
        paint_under_mouse(brush);
    }
    show_mouse(nullptr);
    release_board();
    exit_graphics(graphics_flags);
}

void prepare_board()
{
    board_bitmap = create_bitmap(board_size, board_size);
    if (!board_bitmap)
        fail_visit("board bitmap", "cannot be created");
    // Kept in static storage: a failure ends the program with them in
    // hand, and exit frees no locals.
    static std::string path, shown;
    path = find_tile_set();
    if (path.empty()) {
        shown = missing_tile_set();
        fail_visit(tile_set_file, shown.c_str());
    }
    if (const char *why = load_tile_set(path.c_str())) {
        shown = printable(path);
        fail_visit(shown.c_str(), why);
    }
}

void draw_board()
{
    compose_board(current_area, board_bitmap);
    vsync();
    scare_mouse();
    blit(board_bitmap, screen, 0, 0, board_left, board_top, board_size, board_size);
    unscare_mouse();
}

std::string find_tile_set()
{
    std::error_code error;
    // The working folder's own always wins, even when it cannot be used:
    // the user is told so rather than given other pictures.
    if (std::filesystem::exists(tile_set_file, error))
        return tile_set_file;
    for (const auto &folder : tile_set_folders()) {
        std::filesystem::path path = folder / tile_set_file;
        if (std::filesystem::exists(path, error))
            return path.string();
    }
    return {};
}

std::string missing_tile_set()
{
    std::string why = std::strerror(ENOENT) + std::string(" in the working folder");
    auto folders = tile_set_folders();
    for (std::size_t i = 0; i < folders.size(); ++i)
        why += (i + 1 == folders.size() ? " or in " : ", in ") + printable(folders[i].string());
    return why;
}

const char *load_tile_set(const char *path, std::chrono::milliseconds deadline)
{
    if (const char *why = tile_set_problem(path))
        return why;
    // The library crashes on some damaged datafiles whose framing reads
    // well (it frees twice when an object fails to load): a trial load in
    // a child process of its own keeps that out of this one.
    auto trial = [path] {
        DATAFILE *loaded = load_datafile(path);
        unload_datafile(loaded);
        return loaded != nullptr;
    };
    if (!run_in_child(trial, deadline).empty())
        return damaged_datafile;
    tile_set = load_datafile(path);
    if (!tile_set)
        return damaged_datafile;
    tile_count = 0;
    while (tile_set[tile_count].type != DAT_END)
        ++tile_count;
    static char why[96];
    if (tile_count < painted_tiles) {
        std::snprintf(why, sizeof why, "holds %d entries, fewer than the %d tiles",
                      tile_count, painted_tiles);
        unload_tile_set();
        return why;
    }
    for (int v = 0; v < painted_tiles; ++v) {
        if (tile_set[v].type != DAT_BITMAP) {
            std::snprintf(why, sizeof why, "entry %d is not a bitmap", v);
            unload_tile_set();
            return why;
        }
    }
    return nullptr;
}

BITMAP *tile_picture(int value)
{
    if (value < 0 || value >= tile_count || tile_set[value].type != DAT_BITMAP)
        return nullptr;
    return static_cast<BITMAP *>(tile_set[value].dat);
}

void unload_tile_set()
{
    if (tile_set)
        unload_datafile(tile_set);
    tile_set = nullptr;
    tile_count = 0;
}

void compose_board(const area_record &area, BITMAP *board)
{
    clear_to_color(board, colour(empty_colour));
    for (int c = 0; c < board_cols; ++c) {
        for (int r = 0; r < board_rows; ++r) {
            int value = area.cells[c][r];
            if (value == empty_tile)
                continue;
            if (BITMAP *tile = tile_picture(value))
                blit(tile, board, 0, 0, c * tile_size, r * tile_size, tile_size, tile_size);
            else
                draw_unknown_tile(board, c * tile_size, r * tile_size);
        }
    }
}

int brush_from_keys(const volatile char *keys, int brush)
{
    for (int digit = 0; digit <= erase_key_digit; ++digit) {
        if (keys[KEY_0 + digit])
            brush = digit == erase_key_digit ? empty_tile : digit;
    }
    return brush;
}

std::optional<cell_position> cell_at(int x, int y)
{
    if (x < board_left || x >= board_left + board_size || y < board_top
        || y >= board_top + board_size)
        return std::nullopt;
    return cell_position{(x - board_left) / tile_size, (y - board_top) / tile_size};
}

void paint_cell(cell_position cell, int brush)
{
    current_area.cells[cell.col][cell.row] = brush;
    if (brush == mark_tile) {
        current_area.mark_col = cell.col;
        current_area.mark_row = cell.row;
    }
}
