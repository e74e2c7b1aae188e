"""areatool diff as a process: its exit statuses, as diff and cmp give
them, and its picture: both boards as render draws them, the gap in the
editor's green, in both halves the unchanged cells darkened and the
changed ones framed in black and yellow, and no PNG left by a failed
write."""

import json
import os
import sys
import unittest

from harness import LIMITED_START, TILE, area_bytes
from tool_support import AREATOOL, BOARD, ToolTest, read_picture, run

GREEN, BLACK, YELLOW = (0, 200, 0), (0, 0, 0), (255, 255, 0)


class DiffTest(ToolTest):

    def test_statuses_say_same_different_or_trouble(self):
        self.write("a.ard", area_bytes())
        self.write("b.ard", area_bytes({(4, 2): 7}, name=b"hall\0x"))
        self.write("long.ard", area_bytes() + b"\0")
        self.assertEqual(self.tool("diff", "a.ard", "a.ard"), (0, "", ""))
        self.assertEqual(self.tool("diff", "a.ard", "b.ard"),
                         (1, 'cell at column 4, row 2: -1 -> 7\n'
                             'name: "hall\\x00\\x00\\x00\\x00" -> "hall\\x00x\\x00\\x00"\n', ""))
        for args in (["a.ard", "gone.ard"], ["long.ard", "a.ard"], ["a.ard"], ["--png", "a.ard", "b.ard"],
                     ["--scale", "0", "a.ard", "b.ard"], ["--png", "dir/x.png", "a.ard", "b.ard"]):
            with self.subTest(args=args):
                status, out, err = self.tool("diff", *args)
                self.assertEqual((status, len(err.splitlines())), (2, 1), err)
                self.assertEqual(self.tool("diff", "--json", *args)[::2], (status, err))
        status, out, err = self.tool("diff", "--json", "a.ard", "b.ard")
        self.assertEqual((status, err, [json.loads(line)["part"] for line in out.splitlines()]),
                         (1, "", ["cell", "name"]))

    def test_png_darkens_unchanged_cells_and_frames_changed_ones_in_both_halves(self):
        self.write("old.ard", area_bytes({(3, 1): 2, (0, 0): 8, (9, 9): 0}))
        self.write("x.png", b"old picture")
        # (NEW, scale, the cells that changed): a change of only the mark or
        # only the time frames no cell, not even 0,0.
        for new, scale, changed in [(area_bytes({(3, 1): 5, (9, 9): 6, (0, 0): 8}, mark=(1, 1)), 2, {(3, 1), (9, 9)}),
                                    (area_bytes({(3, 1): 2, (0, 0): 8, (9, 9): 0}, time_allowed=5), 1, set())]:
            with self.subTest(scale=scale, changed=changed):
                self.write("new.ard", new)
                status, _, _ = self.tool("diff", "--png", "x.png", "--scale", str(scale), "old.ard", "new.ard")
                self.assertEqual(status, 1)
                picture = read_picture(self, self.path("x.png"))
                board, cell, ring = scale * BOARD, scale * TILE, scale
                self.assertEqual((picture.width, picture.height), (2 * board + cell, board))
                self.assertEqual({picture.pixel(board + d, y) for d in range(cell) for y in (0, board - 1)}, {GREEN})
                for left, side in ((0, "old.ard"), (board + cell, "new.ard")):
                    self.assertEqual(self.tool("render", "--scale", str(scale), side, "side.png")[0], 0)
                    rendered = read_picture(self, self.path("side.png"))
                    for y in range(board):
                        for x in range(board):
                            inset = min(x % cell, y % cell, cell - 1 - x % cell, cell - 1 - y % cell)
                            drawn = rendered.pixel(x, y)
                            if (x // cell, y // cell) not in changed:
                                want = tuple(c // 2 for c in drawn)
                            else:
                                want = BLACK if inset < ring else YELLOW if inset < 2 * ring else drawn
                            if picture.pixel(left + x, y) != want:
                                self.fail("%s at %d,%d: %r, not %r" % (side, x, y, picture.pixel(left + x, y), want))
        # A write cut short by a full disk keeps the old PNG and leaves nothing else.
        before = sorted(os.listdir(self.folder)), self.read("x.png")
        status, _, err = run([sys.executable, "-c", LIMITED_START, "1000", AREATOOL,
                              "diff", "--png", "x.png", "old.ard", "new.ard"], self.folder)
        self.assertEqual((status, err.count("\n")), (2, 0), err)
        self.assertEqual((sorted(os.listdir(self.folder)), self.read("x.png")), before)


if __name__ == "__main__":
    unittest.main()
