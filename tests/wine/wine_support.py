"""What the Windows build's tests under Wine share on top of harness.py: the
cross-built programs, a Wine prefix for each test file, the editor's
window found inside Wine's virtual desktop, and its cells checked pixel by
pixel.

Input is sent once. Before any, the window must show two signs that it is
ready: Wine paints its title bar as the active window's (the one that its
keyboard and mouse reach), and the library has moved the pointer to the
window's centre (its mouse is installed). A key or button is then held
until its effect is on screen, since the program reads their state once a
frame and a loaded machine may stretch frames; a press never seen fails
the test. The X server repeats no held key: a repeat would make up for a
lost press.

The prefix is copied from a template that scripts/test-windows.sh makes
once a run (making one takes 10 to 20 s; the copy links the large files).
The template turns Wine's virtual desktop on: without a window manager,
the library's windowed DirectDraw driver deadlocks on its way back to text
mode unless the window sits in a desktop of Wine's own. Each X display
needs a Wine prefix of its own, so every test ends the prefix's wineserver
along with its X server.
"""

import os
import shutil
import subprocess
import tempfile
import time

import harness
from editor_support import tile_picture
from harness import BOARD_LEFT, BOARD_TOP, EMPTY, POINTER_CENTRE, TILE, wait_frames
from harness import CHOICE as MENU, LOAD_NAME, NEW_NAME, SAVE, TIME

# CTest gives the Windows build's folder in AREAEDIT_BUILD, as it gives the
# Linux build's to harness.py; the programs here end in .exe.
BUILD = os.path.abspath(os.environ.get(
    "AREAEDIT_BUILD", os.path.join(os.path.dirname(__file__), "..", "..", "build-windows")))
AREAEDIT = os.path.join(BUILD, "areaedit.exe")
AREATOOL = os.path.join(BUILD, "areatool.exe")
TILE_SET = os.path.join(BUILD, "graphics.dat")
ZIP = os.path.join(BUILD, "areaedit-windows.zip")
# The Linux build, whose areatool draws the pictures that areatool.exe's
# must equal; scripts/test-windows.sh names it.
LINUX_AREATOOL = os.path.abspath(os.path.join(os.environ.get(
    "AREAEDIT_LINUX_BUILD", os.path.join(os.path.dirname(__file__), "..", "..", "build")), "areatool"))
TEMPLATE = os.path.join(BUILD, "wine", "template")
DESKTOP = "1024x768"  # the virtual desktop: the whole Xvfb screen

# Windows console programs end their lines with CR LF.
MENU_ANSWERED = harness.MENU.replace("\n", "\r\n") + "\r\n"

WINDOW_WAIT = 60.0  # seconds: Wine's first start of a program in a prefix is slow
PAINT_WAIT = 10.0  # seconds a paint may take to show
BLACK = (0, 0, 0)  # an empty cell
AWAY = (1000, 740)  # where the pointer waits for a window to open: outside it
# The title bar's colour while the window is active, set in the template so
# as not to hang on Wine's theme, and a spot of the bar from the window's
# inside.
ACTIVE_TITLE = (50, 150, 250)
TITLE_SPOT = (100, -5)
# The bits per channel (red, green, blue) that each depth keeps.
DEPTH_BITS = {16: (5, 6, 5), 15: (5, 5, 5)}


def cpu_share(pid, seconds):
    """The share of one core that process pid, all its threads, used over
    the next seconds."""
    def cpu_ns():
        total = 0
        for task in os.listdir("/proc/%d/task" % pid):
            try:
                with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                    total += int(f.read().split()[0])
            except OSError:  # a thread that has just ended
                pass
        return total
    before, started = cpu_ns(), time.monotonic_ns()
    time.sleep(seconds)
    return (cpu_ns() - before) / (time.monotonic_ns() - started)


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    return env


def run_wine(prefix, *args, timeout=120):
    subprocess.run(["wine", *args], env=wine_env(prefix), check=True, timeout=timeout,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def end_wineserver(prefix):
    """Ends the prefix's Wine server and waits until it is gone, so that the
    next program starts a new one rather than reaching one on its way out."""
    for option in ("-k", "-w"):
        subprocess.run(["wineserver", option], env=wine_env(prefix), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_template(path):
    """A new Wine prefix at path with the virtual desktop on, the active
    title bar in ACTIVE_TITLE, and Wine's own sound driver off: on a machine
    without a sound card that driver prints the host sound library's
    complaints, which are Wine's, not the program's, and which no Windows
    user sees."""
    shutil.rmtree(path, True)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["wineboot", "-i"], env=wine_env(path), timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run_wine(path, "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f")
    run_wine(path, "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d", DESKTOP, "/f")
    run_wine(path, "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Audio", "/d", "", "/f")
    for name in ("ActiveTitle", "GradientActiveTitle"):
        run_wine(path, "reg", "add", r"HKCU\Control Panel\Colors", "/v", name,
                 "/d", "%d %d %d" % ACTIVE_TITLE, "/f")
    subprocess.run(["wineserver", "-w"], env=wine_env(path), timeout=120)


def copy_prefix(template, path):
    """A prefix of its own from the template: the files Wine only reads are
    hard links, the registry, which it rewrites, real copies."""
    subprocess.run(["cp", "-al", template, path], check=True, timeout=120)
    for name in os.listdir(template):
        if name.endswith(".reg"):
            os.unlink(os.path.join(path, name))
            shutil.copy2(os.path.join(template, name), os.path.join(path, name))


class WineTest(harness.WindowTest):
    """Each test gets its own working folder with the tile set and its own
    X server; the tests of one file share a Wine prefix, one at a time."""
    FOLDER_TILE_SET = TILE_SET
    XVFB_OPTIONS = ("-r",)  # no key repeat

    @classmethod
    def setUpClass(cls):
        if not os.path.isdir(TEMPLATE):
            make_template(TEMPLATE)
        cls.prefix_folder = tempfile.mkdtemp(prefix="areaedit-wine-")
        cls.prefix = os.path.join(cls.prefix_folder, "prefix")
        copy_prefix(TEMPLATE, cls.prefix)

    @classmethod
    def tearDownClass(cls):
        end_wineserver(cls.prefix)
        shutil.rmtree(cls.prefix_folder, True)

    def setUp(self):
        super().setUp()
        # Runs before the X server goes: the desktop belongs to this display.
        self.addCleanup(end_wineserver, self.prefix)

    def start(self, program=AREAEDIT, args=(), display=True):
        env = wine_env(self.prefix, self.x.display if display else None)
        started = harness.Program(["wine", program, *args], self.folder, env)
        self.addCleanup(started.finish)
        return started

    def open_window(self, program, prompt, answer, timeout=WINDOW_WAIT):
        """Answers the prompt that opens the window; returns the window's top
        left corner on the X screen once the window is ready for input."""
        self.x.xdotool("mousemove", *AWAY)
        program.answer(prompt, answer)
        deadline = time.monotonic() + timeout
        seen = "no window"
        while time.monotonic() < deadline:
            shot = self.x.screenshot()
            origin = window_origin(shot)
            if origin:
                title = shot.pixel(origin[0] + TITLE_SPOT[0], origin[1] + TITLE_SPOT[1])
                pointer = self.x.pointer()
                if title == ACTIVE_TITLE and pointer == (origin[0] + POINTER_CENTRE[0],
                                                         origin[1] + POINTER_CENTRE[1]):
                    return origin
                seen = "a window at %s, its title bar %s, the pointer at %s" % (origin, title, pointer)
            time.sleep(0.2)
        raise AssertionError("the editor window did not become ready for input; last seen: " + seen)

    def wait_for_no_window(self, timeout=WINDOW_WAIT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not window_origin(self.x.screenshot()):
                return
            time.sleep(0.2)
        raise AssertionError("the editor window did not close")

    def paint(self, origin, depth, value, *cells):
        """Paints each (col, row) with tile value (0 to 8): holds its key,
        then the button on the cell, until the cell shows the tile at
        depth, then lets both go. One press each: a lost one fails."""
        key = str(value)
        for col, row in cells:
            x, y = harness.cell_centre(col, row)
            self.x.xdotool("keydown", key)
            try:
                wait_frames(3)
                self.x.xdotool("mousemove", origin[0] + x, origin[1] + y)
                wait_frames(2)
                self.x.xdotool("mousedown", 1)
                try:
                    deadline = time.monotonic() + PAINT_WAIT
                    while problem := cell_problem(self.x.screenshot(), origin, col, row, value, depth):
                        if time.monotonic() > deadline:
                            raise AssertionError("key %s and the button, held %d s, did not paint as they should: %s"
                                             % (key, PAINT_WAIT, problem))
                finally:
                    self.x.xdotool("mouseup", 1)
            finally:
                self.x.xdotool("keyup", key)
            wait_frames(2)


def cell_problem(shot, origin, col, row, value, depth):
    """Why cell (col, row) of the window at origin does not show value as
    the window draws it at depth, or None. The screen shows a tile in the
    bits per channel that the depth keeps, widened back to 8: those top bits
    must be the tile picture's own, pixel for pixel. Empty (-1) is black."""
    picture = None if value == EMPTY else tile_picture(value)
    shifts = [8 - bits for bits in DEPTH_BITS[depth]]
    for dy in range(TILE):
        for dx in range(TILE):
            seen = shot.pixel(origin[0] + BOARD_LEFT + TILE * col + dx, origin[1] + BOARD_TOP + TILE * row + dy)
            want = picture.pixel(dx, dy) if picture else BLACK
            if any(s >> shift != w >> shift for s, w, shift in zip(seen, want, shifts)):
                return "cell (%d,%d) at %d bits should show %d, but its pixel (%d,%d) is %s, not %s" % (
                    col, row, depth, value, dx, dy, seen, want)
    return None


def is_green(colour):
    """The green around the board, at 15 or 16 bits on a 24-bit screen."""
    r, g, b = colour
    return r < 16 and g > 180 and b < 16


def window_origin(shot):
    """Where the window's inside starts on the screen: the top left of the
    green around the board, which must start where the board does. None
    when no such window shows."""
    for y in range(0, shot.height - harness.BOARD_TOP - 1, 2):
        row_has_green = False
        for x in range(0, shot.width - 1, 4):
            if is_green(shot.pixel(x, y)):
                row_has_green = True
                break
        if not row_has_green:
            continue
        # The first green row found may lie up to one step below the top.
        top = y - 1 if y > 0 and is_green(shot.pixel(x, y - 1)) else y
        left = x
        while left > 0 and is_green(shot.pixel(left - 1, top)):
            left -= 1
        board_x, board_y = left + harness.BOARD_LEFT, top + harness.BOARD_TOP
        if is_green(shot.pixel(board_x - 1, board_y)) and not is_green(shot.pixel(board_x, board_y)):
            return left, top
        return None
    return None
