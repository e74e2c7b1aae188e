"""What the dialogue tests share: the exact console texts, a visit to the
editor window, and the comparison of painted cells across visits (at 16
and 15 bits per pixel, so only to within a few steps per channel).
"""

import os
import time

import harness
from harness import LOAD_NAME, LOADED_AREA_DEPTH, MENU, NEW_AREA_DEPTH, NEW_NAME, SAVE

MENU_ANSWERED = MENU + "\n"  # the menu prints a line end after reading its answer
TIME = "\n" + harness.TIME  # and so does the save question

COLOUR_TOLERANCE = 8
OFF_BOARD = (100, 400)  # where the pointer waits while the board is photographed
SAMPLE_OFFSETS = range(2, harness.TILE - 2, 6)  # a grid of points inside a cell


def visit(test, depth, paint=(), look_at=()):
    """Waits for the editor window at depth, paints each (key, cells) pair,
    photographs the cells in look_at, then leaves with Escape. Returns
    {(col, row): samples}."""
    test.x.wait_for_window(depth)
    for key, cells in paint:
        test.x.paint(key, *cells)
    seen = {}
    if look_at:
        # The pointer is drawn over the board; a move to a fresh spot off it
        # also makes the library redraw it there.
        test.x.move(OFF_BOARD[0] + depth, OFF_BOARD[1])
        shot = test.x.screenshot()
        seen = {cell: cell_samples(shot, *cell) for cell in look_at}
    test.x.escape()
    wait_until_window_is_off_screen(test)
    return seen


def wait_until_window_is_off_screen(test, timeout=20):
    """The library keeps its window after a visit, only unmapped, so the
    window's id cannot tell; the screen can. Without this a next visit at
    the same depth could be taken for open while the last one still shows."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if test.x.screenshot().pixel(5, 470) not in harness.GREEN_AT_DEPTH.values():
            return
        time.sleep(0.05)
    raise AssertionError("the editor window stayed on screen after Escape")


def cell_samples(shot, col, row):
    return [shot.cell(col, row, dx, dy) for dx in SAMPLE_OFFSETS for dy in SAMPLE_OFFSETS]


def samples_match(a, b, tolerance=COLOUR_TOLERANCE):
    return all(abs(p - q) <= tolerance for pa, pb in zip(a, b) for p, q in zip(pa, pb))


def all_black(samples):
    return all(max(pixel) <= COLOUR_TOLERANCE for pixel in samples)


def stderr_lines(program):
    return [line for line in program.stderr_text().splitlines() if line.strip()]


def files_in(test):
    """The working folder's entries besides the tile set."""
    return sorted(name for name in os.listdir(test.folder) if name != "graphics.dat")
