"""Painting the board with real keys and a real pointer: which tile the
number keys choose, where the pointer hits, dragging, and the mark that a
painted 3 moves. Each case checks the screen and then the saved file."""

import unittest

from editor_support import BOARD_LEFT, BOARD_TOP, TILE, EditorTest, board_problems, cell_centre
from harness import EMPTY, area_bytes, wait_frames


class PaintTest(EditorTest):

    def test_number_keys_paint_their_tiles_and_nine_erases(self):
        program = self.open_new()
        for value in range(9):
            self.paint([str(value)], value, value % 5, value)
        # The brush stays after its key is let go.
        self.paint([], 8, 9, 8)
        self.paint(["9"], 4, 4, EMPTY)
        painted = {(v, v % 5): v for v in range(9) if v != 4}
        painted[(8, 9)] = 8
        self.park()
        self.board_until(painted)
        mark, _, cells, name = self.leave_and_save(program, 12)
        self.assertEqual(cells, painted)
        self.assertEqual(mark, (3, 3))
        self.assertEqual(name, b"hall\0\0\0\0")

    def test_click_before_any_key_empties_the_cell(self):
        program = self.open_stored(area_bytes({(4, 4): 2, (5, 5): 7}, mark=(1, 2)))
        self.paint([], 4, 4, EMPTY)
        self.park()
        self.board_until({(5, 5): 7})
        mark, _, cells, _ = self.leave_and_save(program)
        self.assertEqual(cells, {(5, 5): 7})
        self.assertEqual(mark, (1, 2))

    def test_highest_held_key_wins_and_nine_beats_every_other(self):
        # Pressed in an order where neither the first nor the last key is
        # the one that should win.
        program = self.open_new()
        self.paint(["2", "6", "4"], 1, 1, 6)
        self.paint(["1", "7", "5"], 2, 2, 7)
        self.paint(["8", "9", "0"], 1, 1, EMPTY)
        self.park()
        self.board_until({(2, 2): 7})
        _, _, cells, _ = self.leave_and_save(program)
        self.assertEqual(cells, {(2, 2): 7})

    def test_edge_pixels_of_the_board_paint_and_one_pixel_beyond_does_not(self):
        # Row 1 of a column 10 would be the name field of the file, and row
        # 10 of a column the top of the next one: a miss would show.
        edges = [  # outside pixel, inside pixel, the cell the inside one hits
            ((BOARD_LEFT - 1, 160), (BOARD_LEFT, 160), (0, 4)),
            ((BOARD_LEFT + 10 * TILE, 62), (BOARD_LEFT + 10 * TILE - 1, 62), (9, 1)),
            ((397, BOARD_TOP - 1), (397, BOARD_TOP), (3, 0)),
            ((502, BOARD_TOP + 10 * TILE), (502, BOARD_TOP + 10 * TILE - 1), (6, 9)),
        ]
        program = self.open_new()
        painted = {}
        self.x.xdotool("keydown", "5")
        try:
            for outside, inside, cell in edges:
                self.x.xdotool("mousemove", *outside)
                wait_frames(2)
                self.x.xdotool("mousedown", 1)
                try:
                    wait_frames(6)
                    shot = self.x.screenshot()
                    self.assertEqual(board_problems(shot, painted, outside), [],
                                     "pressing at %s" % (outside,))
                    self.x.xdotool("mousemove", *inside)
                    painted[cell] = 5
                    self.screen_until("moving to %s" % (inside,),
                                      lambda shot: board_problems(shot, painted, inside))
                finally:
                    self.x.xdotool("mouseup", 1)
        finally:
            self.x.xdotool("keyup", "5")
        self.park()
        self.board_until(painted)
        _, _, cells, name = self.leave_and_save(program)
        self.assertEqual(cells, painted)
        self.assertEqual(name, b"hall\0\0\0\0")

    def test_dragging_paints_each_cell_the_pointer_rests_on(self):
        program = self.open_new()
        path = [(1, 6), (2, 6), (3, 6), (3, 7)]
        self.x.xdotool("keydown", "7")
        try:
            self.x.xdotool("mousemove", *cell_centre(*path[0]))
            wait_frames(2)
            self.x.xdotool("mousedown", 1)
            try:
                done = {}
                for col, row in path:
                    x, y = cell_centre(col, row)
                    self.x.xdotool("mousemove", x, y)
                    done[(col, row)] = 7
                    self.screen_until("dragging onto (%d,%d)" % (col, row),
                                      lambda shot: board_problems(shot, done, (x, y)))
            finally:
                self.x.xdotool("mouseup", 1)
        finally:
            self.x.xdotool("keyup", "7")
        # With the button up, moving paints nothing.
        self.x.move(*cell_centre(5, 7))
        wait_frames(6)
        self.park()
        self.board_until(done)
        _, _, cells, _ = self.leave_and_save(program)
        self.assertEqual(cells, done)

    def test_painted_three_moves_the_mark_and_painting_over_it_keeps_it(self):
        program = self.open_stored(area_bytes({(0, 0): 3}, mark=(0, 0)))
        self.paint(["3"], 2, 5, 3)
        self.paint([], 7, 1, 3)
        self.paint(["4"], 7, 1, 4)
        self.paint(["9"], 2, 5, EMPTY)
        self.paint(["6"], 8, 8, 6)
        self.park()
        self.board_until({(0, 0): 3, (7, 1): 4, (8, 8): 6})
        mark, _, cells, _ = self.leave_and_save(program)
        self.assertEqual(mark, (7, 1))
        self.assertEqual(cells, {(0, 0): 3, (7, 1): 4, (8, 8): 6})


if __name__ == "__main__":
    unittest.main()
