"""areatool diff as a process: its exit statuses, as diff and cmp give
them, and its picture: both boards as render draws them, the gap in the
editor's green, the changed cells framed in magenta in both halves, and no
PNG left by a failed write."""

import json
import os
import sys
import unittest

from harness import LIMITED_START, TILE, area_bytes
from tool_support import AREATOOL, BOARD, ToolTest, read_picture, run

GREEN, MAGENTA = (0, 200, 0), (255, 0, 255)


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

    def test_png_shows_old_left_new_right_and_frames_changed_cells_in_both(self):
        self.write("old.ard", area_bytes({(3, 1): 2}))
        self.write("x.png", b"old picture")
        # (NEW, scale, whether cell 3,1 is framed): a frame is 2 pixels wide
        # at scale 1; a change of only the mark or only the time frames no
        # cell, not even 0,0.
        for new, scale, framed in [(area_bytes({(3, 1): 5, (9, 9): 0}, mark=(1, 1)), 3, True),
                                   (area_bytes({(3, 1): 2}, mark=(0, 1)), 1, False),
                                   (area_bytes({(3, 1): 2}, time_allowed=5), 2, False)]:
            with self.subTest(scale=scale, framed=framed):
                self.write("new.ard", new)
                status, _, _ = self.tool("diff", "--png", "x.png", "--scale", str(scale), "old.ard", "new.ard")
                self.assertEqual(status, 1)
                picture = read_picture(self, self.path("x.png"))
                self.assertEqual((picture.width, picture.height), (scale * (2 * BOARD + TILE), scale * BOARD))
                cell, frame = scale * TILE, 2 * scale
                for left in (0, scale * (BOARD + TILE)):
                    x, y = left + 3 * cell, 1 * cell
                    edge = {picture.pixel(x + d, y + d) for d in range(frame)}
                    if framed:  # just inside the cell's edge, the tile within
                        self.assertEqual(edge, {MAGENTA})
                        self.assertEqual(picture.pixel(x + cell - frame, y + cell // 2), MAGENTA)
                        self.assertNotEqual(picture.pixel(x + frame, y + cell // 2), MAGENTA)
                    else:
                        self.assertNotIn(MAGENTA, edge)
                    self.assertEqual({picture.pixel(left + d, d) for d in range(frame)}, {(0, 0, 0)})  # cell 0,0
                self.assertEqual({picture.pixel(scale * BOARD + d, 100) for d in range(cell)}, {GREEN})
        # A write cut short by a full disk keeps the old PNG and leaves nothing else.
        before = sorted(os.listdir(self.folder)), self.read("x.png")
        status, _, err = run([sys.executable, "-c", LIMITED_START, "1000", AREATOOL,
                              "diff", "--png", "x.png", "old.ard", "new.ard"], self.folder)
        self.assertEqual((status, err.count("\n")), (2, 0), err)
        self.assertEqual((sorted(os.listdir(self.folder)), self.read("x.png")), before)


if __name__ == "__main__":
    unittest.main()
