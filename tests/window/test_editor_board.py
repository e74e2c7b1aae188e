"""What the editor shows: the green screen and the black board of a new
area, a stored area cell by cell (tiles, empty cells, the placeholder for
values with no picture), and two visits in one run at their two depths."""

import subprocess
import unittest

from editor_support import BLACK, MENU, PARKED, TIME, EditorTest, pointer_hides
from harness import BOARD_LEFT, BOARD_TOP, GREEN_AT_DEPTH, TILE, area_bytes

BOARD_END_X = BOARD_LEFT + 10 * TILE  # first column right of the board
BOARD_END_Y = BOARD_TOP + 10 * TILE


class BoardTest(EditorTest):

    def test_new_area_shows_a_black_board_on_green(self):
        program = self.open_new()
        geometry = subprocess.run(["xdotool", "getwindowgeometry", self.x.window()],
                                  env=self.x.env(), capture_output=True, text=True,
                                  timeout=20).stdout
        self.assertIn("640x480", geometry)
        shot = self.board_until({})
        green = GREEN_AT_DEPTH[16]
        wrong = [(x, y, shot.pixel(x, y)) for y in range(480) for x in range(640)
                 if not pointer_hides(PARKED, x, y)
                 and shot.pixel(x, y) != (BLACK if BOARD_LEFT <= x < BOARD_END_X
                                          and BOARD_TOP <= y < BOARD_END_Y else green)]
        self.assertEqual(wrong[:5], [])
        self.leave(program)
        program.send("n\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)

    def test_stored_area_is_shown_as_stored_and_left_unchanged(self):
        cells = {(v, 9 - v): v for v in range(9)}
        # Values with no picture: below 0 but not empty, 9 and beyond.
        cells.update({(0, 0): -7, (9, 0): 9, (9, 9): 1000, (5, 0): -2 ** 31, (6, 0): 2 ** 31 - 1})
        program = self.open_stored(area_bytes(cells, mark=(8, 2), time_allowed=40))
        self.board_until(cells)
        self.assertEqual(self.x.screenshot().pixel(5, 470), GREEN_AT_DEPTH[15])
        mark, time_allowed, saved, name = self.leave_and_save(program, 41)
        self.assertEqual((mark, time_allowed, saved, name), ((8, 2), 41, cells, b"hall\0\0\0\0"))

    def test_second_visit_in_one_run_shows_the_loaded_area_at_15_bpp(self):
        program = self.open_new()
        self.paint(["5"], 2, 2, 5)
        self.leave(program)
        program.send("y\n")
        program.answer(TIME, "9\n")
        self.assertNotIn("graphics mode", program.stdout_text())

        # The menu again, in the same process: the library must not be
        # started twice, and keyboard and mouse must work anew.
        self.load(program)
        self.board_until({(2, 2): 5})
        self.paint(["6"], 3, 3, 6)
        _, time_allowed, saved, _ = self.leave_and_save(program, 10)
        self.assertEqual((time_allowed, saved), (10, {(2, 2): 5, (3, 3): 6}))
        self.assertEqual(program.stderr_text(), "")


if __name__ == "__main__":
    unittest.main()
