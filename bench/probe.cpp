// The benchmark's eye and hand on the X display: it watches pixels of the
// program's window in the server's own framebuffer (the root window, so what
// it sees is what is on screen) and presses keys and buttons through the X
// test extension, timing with CLOCK_MONOTONIC so that its times line up
// with the benchmark's own.
//
//   probe shown X,Y=RRGGBB...     waits for the window to show these
//                                 pixels (window coordinates); prints the
//                                 time it saw them, in ns
//   probe presses KEY X,Y...      takes the pointer over, holds KEY (a
//                                 keysym name, or "none"), then presses the
//                                 button over each X,Y in turn; prints for
//                                 each the time of the press and the time
//                                 the screen up and left of the pointer
//                                 changed, in ns
//
// Both print "ready" once connected, so the caller can start its clock after.
// Start reading at main().

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

using namespace std::chrono_literals;

constexpr auto poll_pause = 200us;       // between two looks at the framebuffer
constexpr auto give_up_after = 20s;
constexpr auto key_hold = 150ms;         // the library polls at about 70 frames a second
constexpr auto settle = 120ms;           // pointer moves seen before a press
constexpr int colour_tolerance = 12;     // 15- and 16-bit modes round the colours
constexpr int pointer_away_x = 630;      // where the pointer waits for the library to take it
constexpr int pointer_away_y = 470;
constexpr int pointer_centre_x = 320;    // where the library warps it when it does
constexpr int pointer_centre_y = 240;
constexpr int watch_offset = 20;  // the pixel watched, up and left of the pointer,
                                  // which the arrow of the pointer never covers
constexpr const char *window_class = "allegro";

struct rgb {
    int red, green, blue;
};

struct point {
    int x, y;
};

Display *display;

[[noreturn]] void fail(const char *why)
{
    std::fprintf(stderr, "probe: %s\n", why);
    std::exit(EXIT_FAILURE);
}

long long now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

bool is_program_window(Window w)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, w, &attributes) || attributes.map_state != IsViewable)
        return false;
    XClassHint hint{};
    if (!XGetClassHint(display, w, &hint))
        return false;
    bool found = (hint.res_class && std::strcmp(hint.res_class, window_class) == 0)
                 || (hint.res_name && std::strcmp(hint.res_name, window_class) == 0);
    XFree(hint.res_name);
    XFree(hint.res_class);
    return found;
}

std::optional<Window> find_window()
{
    Window root_return, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count))
        return std::nullopt;
    std::optional<Window> found;
    for (unsigned i = 0; i < count && !found; ++i)
        if (is_program_window(children[i]))
            found = children[i];
    XFree(children);
    return found;
}

point window_origin(Window w)
{
    int x, y;
    Window child;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y};
}

rgb read_pixel(point on_root)
{
    XImage *image = XGetImage(display, DefaultRootWindow(display), on_root.x, on_root.y, 1, 1,
                              AllPlanes, ZPixmap);
    if (!image)
        fail("cannot read the screen");
    unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {int(p >> 16 & 0xff), int(p >> 8 & 0xff), int(p & 0xff)};
}

bool near(rgb a, rgb b)
{
    return std::abs(a.red - b.red) <= colour_tolerance
           && std::abs(a.green - b.green) <= colour_tolerance
           && std::abs(a.blue - b.blue) <= colour_tolerance;
}

Window wait_for_window()
{
    auto deadline = std::chrono::steady_clock::now() + give_up_after;
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto w = find_window())
            return *w;
        std::this_thread::sleep_for(poll_pause);
    }
    fail("the window did not appear");
}

// "X,Y=RRGGBB" or "X,Y"
point parse_point(const char *text, rgb *colour = nullptr)
{
    point p{};
    unsigned value = 0;
    int n = colour ? std::sscanf(text, "%d,%d=%6x", &p.x, &p.y, &value)
                   : std::sscanf(text, "%d,%d", &p.x, &p.y);
    if (n != (colour ? 3 : 2))
        fail("points are written X,Y or X,Y=RRGGBB");
    if (colour)
        *colour = {int(value >> 16), int(value >> 8 & 0xff), int(value & 0xff)};
    return p;
}

void run_shown(int count, char **args)
{
    std::vector<point> points;
    std::vector<rgb> colours;
    for (int i = 0; i < count; ++i) {
        rgb c;
        points.push_back(parse_point(args[i], &c));
        colours.push_back(c);
    }
    std::puts("ready");
    std::fflush(stdout);
    auto deadline = std::chrono::steady_clock::now() + give_up_after;
    Window w = wait_for_window();
    while (std::chrono::steady_clock::now() < deadline) {
        point origin = window_origin(w);
        bool all = true;
        for (std::size_t i = 0; i < points.size() && all; ++i)
            all = near(read_pixel({origin.x + points[i].x, origin.y + points[i].y}), colours[i]);
        if (all) {
            std::printf("%lld\n", now_ns());
            return;
        }
        std::this_thread::sleep_for(poll_pause);
    }
    fail("the window never showed those pixels");
}

void move_pointer(point p)
{
    XTestFakeMotionEvent(display, DefaultScreen(display), p.x, p.y, CurrentTime);
    XFlush(display);
}

point pointer_position()
{
    Window root, child;
    int x, y, wx, wy;
    unsigned mask;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &mask);
    return {x, y};
}

// For its first polls the library reads pointer motion as relative, then
// warps the pointer to the window's centre; a press before that lands
// elsewhere. The pointer is put away from the centre, and its jump back
// tells that the library has taken it over.
void wait_for_pointer_handover(point origin)
{
    move_pointer({origin.x + pointer_away_x, origin.y + pointer_away_y});
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
        point p = pointer_position();
        if (p.x == origin.x + pointer_centre_x && p.y == origin.y + pointer_centre_y)
            return;
        std::this_thread::sleep_for(10ms);
    }
}

void hold_key(const char *name)
{
    KeySym sym = XStringToKeysym(name);
    if (sym == NoSymbol)
        fail("unknown key name");
    KeyCode code = XKeysymToKeycode(display, sym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XFlush(display);
    std::this_thread::sleep_for(key_hold);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
    std::this_thread::sleep_for(settle);
}

struct press_times {
    long long pressed, seen;
};

press_times press_until_changed(point at)
{
    move_pointer(at);
    std::this_thread::sleep_for(settle);
    point watched{at.x - watch_offset, at.y - watch_offset};
    rgb before = read_pixel(watched);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    long long pressed = now_ns();
    auto deadline = std::chrono::steady_clock::now() + 5s;
    long long seen = -1;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!near(read_pixel(watched), before)) {
            seen = now_ns();
            break;
        }
        std::this_thread::sleep_for(poll_pause);
    }
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    if (seen < 0)
        fail("a press changed nothing on screen");
    return {pressed, seen};
}

void run_presses(const char *key, int count, char **args)
{
    std::vector<point> points;
    for (int i = 0; i < count; ++i)
        points.push_back(parse_point(args[i]));
    std::puts("ready");
    std::fflush(stdout);
    Window w = wait_for_window();
    point origin = window_origin(w);
    XSetInputFocus(display, w, RevertToParent, CurrentTime);
    wait_for_pointer_handover(origin);
    if (std::strcmp(key, "none") != 0)
        hold_key(key);
    for (point p : points) {
        press_times t = press_until_changed({origin.x + p.x, origin.y + p.y});
        std::printf("%lld %lld\n", t.pressed, t.seen);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        fail("usage: probe shown X,Y=RRGGBB... | probe presses KEY X,Y...");
    display = XOpenDisplay(nullptr);
    if (!display)
        fail("cannot open the display");
    int event, error, major, minor;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor))
        fail("the X server has no test extension");
    std::string command = argv[1];
    if (command == "shown")
        run_shown(argc - 2, argv + 2);
    else if (command == "presses" && argc >= 4)
        run_presses(argv[2], argc - 3, argv + 3);
    else
        fail("unknown command");
    XCloseDisplay(display);
}
