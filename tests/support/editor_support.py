"""What the editor's window tests (test_editor_*.py) share on top of
harness.py: the tile pictures from assets/, cells checked pixel by pixel,
a paint that holds the button until the cell shows its tile, and the
dialogue around a visit.

Waits are for what the screen or the program shows, never for a fixed
time alone: a loaded machine may skip frames, but a held key or button is
only let go once its effect is on screen.
"""

import os
import subprocess
import time

import harness
from harness import ASSETS, BOARD_LEFT, BOARD_TOP, LOADED_AREA_DEPTH, NEW_AREA_DEPTH, TILE, cell_centre, parse_area, wait_frames
from harness import CHOICE as MENU, LOAD_NAME, NEW_NAME, SAVE, TIME

DRIVER = os.path.abspath(os.path.join(harness.BUILD, "tests", "editor_driver"))

BLACK, MAGENTA, WHITE = (0, 0, 0), (255, 0, 255), (255, 255, 255)
TOLERANCE = 8        # per channel: at 15 or 16 bpp the screen quantises tile colours
PARKED = (60, 440)   # where the pointer rests between moves: off the board and the probes
AWAY = harness.POINTER_AWAY      # where the pointer waits for a window to open
CENTRE = harness.POINTER_CENTRE  # of the window, which sits at the top left of the X screen
SCREEN_WAIT = 10.0   # seconds the screen may take to show a change
PAINTED_TILES = 9    # values 0 to 8 have a picture


def pointer_hides(pointer, x, y):
    """Whether the library's pointer, its tip at pointer, may cover (x, y)."""
    if pointer is None:
        return False
    px, py = pointer
    return px - 2 <= x <= px + 12 and py - 2 <= y <= py + 18


_pictures = {}


def tile_picture(value):
    """assets/tileV.bmp as a harness Picture."""
    if value not in _pictures:
        path = os.path.join(ASSETS, "tile%d.bmp" % value)
        ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                             capture_output=True, timeout=30).stdout
        _pictures[value] = harness.Picture(ppm)
    return _pictures[value]


def cell_problem(shot, col, row, value, pointer=None):
    """Why cell (col, row) of the screenshot does not show value, or None.
    Empty (-1) is black, 0 to 8 their picture, anything else the magenta
    placeholder with a white mark."""
    picture = tile_picture(value) if 0 <= value < PAINTED_TILES else None
    marks = 0
    for dy in range(TILE):
        for dx in range(TILE):
            x, y = BOARD_LEFT + TILE * col + dx, BOARD_TOP + TILE * row + dy
            if pointer_hides(pointer, x, y):
                continue
            seen = shot.pixel(x, y)
            if value == harness.EMPTY:
                ok = seen == BLACK
            elif picture:
                want = picture.pixel(dx, dy)
                ok = all(abs(a - b) <= TOLERANCE for a, b in zip(seen, want))
            else:
                ok = seen in (MAGENTA, WHITE)
                marks += seen == WHITE
            if not ok:
                return "cell (%d,%d) should show %d, but its pixel (%d,%d) is %s" % (
                    col, row, value, dx, dy, seen)
    if picture is None and value != harness.EMPTY and pointer is None and marks == 0:
        return "cell (%d,%d) should show the placeholder, but has no mark on it" % (col, row)
    return None


def board_problems(shot, cells, pointer=None):
    """What differs between the board on screen and cells, a {(col, row):
    value} of the cells that are not empty."""
    found = (cell_problem(shot, col, row, cells.get((col, row), harness.EMPTY), pointer)
             for col in range(10) for row in range(10))
    return [problem for problem in found if problem]


def stderr_until(program, text, timeout=10):
    """stderr once text is on it: stderr is read apart from stdout, so it
    may lag behind what stdout already shows."""
    deadline = time.monotonic() + timeout
    while text not in program.stderr_text() and time.monotonic() < deadline:
        time.sleep(0.02)
    return program.stderr_text()


def wait_for_pointer_handover(x, timeout=10):
    """harness.Xvfb.wait_for_pointer_handover, but a failure when the
    library never takes the pointer over; AWAY must have been set first."""
    x.wait_for_pointer_handover(timeout)
    if x.pointer() != CENTRE:
        raise AssertionError("the library never took the pointer over")


def wait_for_visible_window(x, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        window = x.window()
        if window:
            return window
        time.sleep(0.05)
    raise AssertionError("the editor window was not mapped")


class EditorTest(harness.WindowTest):
    """A window test that visits the editor through the console dialogue."""

    def open_new(self, name="hall"):
        program = self.start()
        program.answer(MENU, "1\n")
        self.x.xdotool("mousemove", *AWAY)
        program.answer(NEW_NAME, name + "\n")
        self.x.wait_for_window(NEW_AREA_DEPTH)
        wait_for_pointer_handover(self.x)
        self.park()
        return program

    def open_stored(self, data, name="hall"):
        """Writes NAME.ard and loads it in a new program."""
        self.write(name + ".ard", data)
        return self.load(self.start(), name)

    def load(self, program, name="hall"):
        """Loads NAME.ard from the menu of a running program."""
        program.answer(MENU, "2\n")
        self.x.xdotool("mousemove", *AWAY)
        program.answer(LOAD_NAME, name + "\n")
        self.x.wait_for_window(LOADED_AREA_DEPTH)
        wait_for_pointer_handover(self.x)
        self.park()
        return program

    def park(self):
        self.x.move(*PARKED)

    def screen_until(self, what, problems, timeout=SCREEN_WAIT):
        """Screenshots until problems(shot) is empty; returns that shot."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.x.screenshot()
            found = problems(shot)
            if not found:
                return shot
            if time.monotonic() > deadline:
                self.fail("%s: %s" % (what, "; ".join(found[:3])))
            time.sleep(0.03)

    def board_until(self, cells, what="the board"):
        return self.screen_until(what, lambda shot: board_problems(shot, cells))

    def press_until(self, x, y, col, row, value, keys=()):
        """Holds keys, then the left button at (x, y), until cell (col, row)
        shows value; lets the button go, then the keys."""
        if keys:
            self.x.xdotool("keydown", *keys)
            wait_frames(3)
        try:
            self.x.xdotool("mousemove", x, y)
            wait_frames(2)
            self.x.xdotool("mousedown", 1)
            try:
                self.screen_until("painting (%d,%d) with %d" % (col, row, value),
                                  lambda shot: [p for p in [cell_problem(shot, col, row, value, (x, y))] if p])
            finally:
                self.x.xdotool("mouseup", 1)
        finally:
            if keys:
                self.x.xdotool("keyup", *keys)
        wait_frames(2)

    def paint(self, keys, col, row, value):
        self.press_until(*cell_centre(col, row), col, row, value, keys)

    def leave_and_save(self, program, time_allowed=0, name="hall"):
        """Ends the visit, saves, exits; returns the saved file, parsed."""
        self.leave(program)
        program.send("y\n")
        program.answer(TIME, "%d\n" % time_allowed)
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0, program.stderr_text())
        saved = [f for f in os.listdir(self.folder) if f.endswith(".ard")]
        self.assertIn(name + ".ard", saved, "the area was saved under another name")
        return parse_area(self.read(name + ".ard"))
