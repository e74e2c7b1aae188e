"""What the Windows build's tests under Wine share on top of harness.py: the
cross-built programs, a Wine prefix for each test file, and the editor's
window found inside Wine's virtual desktop.

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
from harness import TILE
from harness import CHOICE as MENU, LOAD_NAME, NEW_NAME, SAVE, TIME

# CTest gives the Windows build's folder in AREAEDIT_BUILD, as it gives the
# Linux build's to harness.py; the programs here end in .exe.
BUILD = os.path.abspath(os.environ.get(
    "AREAEDIT_BUILD", os.path.join(os.path.dirname(__file__), "..", "..", "build-windows")))
AREAEDIT = os.path.join(BUILD, "areaedit.exe")
AREATOOL = os.path.join(BUILD, "areatool.exe")
TILE_SET = os.path.join(BUILD, "graphics.dat")
ZIP = os.path.join(BUILD, "areaedit-windows.zip")
TEMPLATE = os.path.join(BUILD, "wine", "template")
DESKTOP = "1024x768"  # the virtual desktop: the whole Xvfb screen

# Windows console programs end their lines with CR LF.
MENU_ANSWERED = harness.MENU.replace("\n", "\r\n") + "\r\n"

WINDOW_WAIT = 60.0  # seconds: Wine's first start of a program in a prefix is slow
PAINT_WAIT = 10.0  # seconds a paint may take to show
BLACK = (0, 0, 0)  # an empty cell
FOCUS_SPOT = (100, 400)  # within the window, left of the board: a click there paints nothing


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
    """A new Wine prefix at path with the virtual desktop on and Wine's own
    sound driver off: on a machine without a sound card that driver prints
    the host sound library's complaints, which are Wine's, not the
    program's, and which no Windows user sees."""
    shutil.rmtree(path, True)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["wineboot", "-i"], env=wine_env(path), timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run_wine(path, "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default", "/f")
    run_wine(path, "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d", DESKTOP, "/f")
    run_wine(path, "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Audio", "/d", "", "/f")
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
        self.folder = tempfile.mkdtemp(prefix="areaedit-test-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        shutil.copy(TILE_SET, os.path.join(self.folder, "graphics.dat"))
        self.x = harness.Xvfb().__enter__()
        self.addCleanup(self.x.__exit__, None, None, None)
        # Runs before the X server goes: the desktop belongs to this display.
        self.addCleanup(end_wineserver, self.prefix)

    def start(self, program=AREAEDIT, args=(), display=True):
        env = wine_env(self.prefix, self.x.display if display else None)
        started = harness.Program(["wine", program, *args], self.folder, env)
        self.addCleanup(started.finish)
        return started

    def wait_for_window(self, timeout=WINDOW_WAIT):
        """The window's top left corner on the X screen once it shows its
        first frame, and the window focused by a click left of the board."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            origin = window_origin(self.x.screenshot())
            if origin:
                self.x.click(origin[0] + FOCUS_SPOT[0], origin[1] + FOCUS_SPOT[1])
                return origin
            time.sleep(0.2)
        raise AssertionError("the editor window did not appear in Wine's desktop")

    def wait_for_no_window(self, timeout=WINDOW_WAIT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not window_origin(self.x.screenshot()):
                return
            time.sleep(0.2)
        raise AssertionError("the editor window did not close")

    def paint(self, origin, key, *cells):
        """Chooses a tile with its key and clicks each (col, row) until the
        cell shows a tile: on a loaded machine Wine may hand the window the
        keyboard only after the first key, or the pointer after the click."""
        for col, row in cells:
            x, y = harness.cell_centre(col, row)
            deadline = time.monotonic() + PAINT_WAIT
            while True:
                self.x.hold_keys(key)
                self.x.click(origin[0] + x, origin[1] + y)
                if self.cell_colour(self.x.screenshot(), origin, col, row) != BLACK:
                    break
                if time.monotonic() > deadline:
                    raise AssertionError("cell (%d, %d) did not take the tile of key %s" % (col, row, key))

    def cell_colour(self, shot, origin, col, row):
        """The colour at a spot of the cell that every tile picture colours."""
        x, y = harness.cell_centre(col, row)
        return shot.pixel(origin[0] + x - TILE // 4, origin[1] + y - TILE // 4)


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
