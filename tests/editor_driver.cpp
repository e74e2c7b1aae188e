// A small program on the editor library alone, for the ways in that the
// console never takes: init_graphics without the device bit, exit_graphics
// with it clear, edit_area with no keyboard, Escape already held as the
// editor starts. argv[1] names the scenario; each result is one line on
// stdout, read by tests/window/test_editor_setup.py. Where a scenario
// prints "look", it waits for a line on stdin while the test inspects the
// X server.
//
// Start reading at main().

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <allegro.h>

#include "editor/editor.h"

namespace {

constexpr int exit_usage = 2;
constexpr int exit_timeout = 3;
constexpr std::int8_t no_flags = 0;
constexpr std::int8_t all_but_device_bit = graphics_flags & ~graphics_flag_devices;  // 26
constexpr auto hold_deadline = std::chrono::seconds(20);

using clock_type = std::chrono::steady_clock;

void say(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    std::fflush(stdout);
}

void wait_for_line()
{
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        std::exit(exit_usage);
}

long milliseconds_since(clock_type::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - start).count();
}

// What of the library is up, in one line, e.g.
// "screen=640x480x16 gfx=yes keyboard=yes mouse=yes timer=yes sound=yes".
std::string devices()
{
    char line[160];
    char screen_text[32] = "none";
    if (screen)
        std::snprintf(screen_text, sizeof screen_text, "%dx%dx%d", SCREEN_W, SCREEN_H,
                      bitmap_color_depth(screen));
    auto yes_no = [](bool up) { return up ? "yes" : "no"; };
    std::snprintf(line, sizeof line, "screen=%s gfx=%s keyboard=%s mouse=%s timer=%s sound=%s",
                  screen_text, yes_no(gfx_driver), yes_no(keyboard_driver), yes_no(mouse_driver),
                  yes_no(timer_driver), yes_no(digi_card != DIGI_AUTODETECT));
    return line;
}

// A board with every kind of cell, so that any change shows.
void fill_area()
{
    for (int c = 0; c < board_cols; ++c)
        for (int r = 0; r < board_rows; ++r)
            current_area.cells[c][r] = (c + r) % 11 - 1;  // -1 to 9
    current_area.cells[0][0] = 5;
    current_area.mark_col = 4;
    current_area.mark_row = 6;
    current_area.time_allowed = 77;
    std::memcpy(current_area.name.data(), "drv", 4);
}

bool area_unchanged(const area_record &before)
{
    return std::memcmp(&before, &current_area, sizeof before) == 0;
}

// init_graphics without bit 0 starts the library only, and edit_area then
// has no keyboard to end on. A real visit afterwards shows the library was
// started once and well.
int run_no_devices()
{
    fill_area();
    const area_record before = current_area;
    init_graphics(screen_width, screen_height, 0, 0, no_flags, new_area_depth);
    say("after init: %s", devices().c_str());
    exit_graphics(no_flags);
    say("after exit: %s", devices().c_str());
    say("look");
    wait_for_line();

    auto start = clock_type::now();
    edit_area();
    say("edit_area returned after %ld ms", milliseconds_since(start));
    say("area unchanged: %s", area_unchanged(before) ? "yes" : "no");

    init_graphics(screen_width, screen_height, 0, 0, graphics_flags, new_area_depth);
    say("visit: %s", devices().c_str());
    edit_area();
    say("done");
    return 0;
}

// Bit 0 alone opens the window and installs the devices; exit_graphics
// with bit 0 clear, even with the other bits set, leaves them all up.
int run_device_bit()
{
    init_graphics(screen_width, screen_height, 0, 0, graphics_flag_devices, new_area_depth);
    say("after init: %s", devices().c_str());
    exit_graphics(no_flags);
    exit_graphics(all_but_device_bit);
    say("after exit: %s", devices().c_str());
    say("look");
    wait_for_line();
    edit_area();
    say("after visit: %s", devices().c_str());
    say("done");
    return 0;
}

// The test holds Escape and the left button on cell (0,0) before
// edit_area starts. A single frame would paint that cell with the starting
// brush, -1.
int run_escape_at_start()
{
    fill_area();
    const area_record before = current_area;
    init_graphics(screen_width, screen_height, 0, 0, graphics_flags, new_area_depth);
    say("ready");
    auto start = clock_type::now();
    while (!(key[KEY_ESC] && (mouse_b & 1))) {
        if (clock_type::now() - start > hold_deadline) {
            say("Escape and the button were never held");
            return exit_timeout;
        }
        rest(5);
    }
    say("held");
    start = clock_type::now();
    edit_area();
    say("edit_area returned after %ld ms", milliseconds_since(start));
    say("cell 0 0: %d", static_cast<int>(current_area.cells[0][0]));
    say("area unchanged: %s", area_unchanged(before) ? "yes" : "no");
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string scenario = argc > 1 ? argv[1] : "";
    if (scenario == "no_devices")
        return run_no_devices();
    if (scenario == "device_bit")
        return run_device_bit();
    if (scenario == "escape_at_start")
        return run_escape_at_start();
    std::fprintf(stderr, "usage: editor_driver no_devices|device_bit|escape_at_start\n");
    return exit_usage;
}
END_OF_MAIN()
