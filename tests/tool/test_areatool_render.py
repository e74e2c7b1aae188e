"""areatool render draws the board the editor shows: the editor loads an
area (at 15 bits per pixel) and its board on screen is compared pixel by
pixel with the PNGs rendered from the same file at 32 and at 15 bits."""

import unittest

from editor_support import TOLERANCE, EditorTest
from harness import BOARD_LEFT, BOARD_TOP, area_bytes
from tool_support import AREATOOL, BOARD, read_picture, run


class RenderMatchesEditorTest(EditorTest):

    def test_png_matches_the_editors_board(self):
        cells = {(c, 9 - c): c for c in range(9)} | {(9, 0): 9, (0, 0): -5, (5, 0): 1000}
        self.open_stored(area_bytes(cells, mark=(1, 8)))
        shot = self.board_until(cells)
        for depth in ("32", "15"):
            status, _, err = run([AREATOOL, "render", "--depth", depth, "hall.ard", "b.png"], self.folder)
            self.assertEqual(status, 0, err)
            png = read_picture(self, self.path("b.png"))
            wrong = [(x, y, png.pixel(x, y), shot.pixel(BOARD_LEFT + x, BOARD_TOP + y))
                     for y in range(BOARD) for x in range(BOARD)
                     if any(abs(a - b) > TOLERANCE for a, b in
                            zip(png.pixel(x, y), shot.pixel(BOARD_LEFT + x, BOARD_TOP + y)))]
            self.assertEqual(wrong[:5], [], "at depth " + depth)


if __name__ == "__main__":
    unittest.main()
