"""areatool usage and find over a small game: the counts, the tiles no
area uses and the values the tile set cannot draw, each checked against
what the test reads from the files' bytes itself; find's cells in order,
its --files and grep's three exit statuses."""

import json
import struct
import unittest

from harness import area_bytes
from tool_support import ToolTest

CELLS = struct.Struct("<100i")  # at offset 12, column by column
# A small game: empty cells, a value only a bigger tile set draws (9), the
# data entry of the tile set (10), values beyond it and below -1; tiles 2
# and 6 to 8 in no area; a file too short and one too long to be an area.
GAME = {
    "hall.ard": area_bytes({(2, 7): 3, (0, 0): 1, (9, 9): 1, (4, 4): 12, (1, 0): 5, (0, 1): 5}),
    "yard.ard": area_bytes({(c, r): 0 for c in range(10) for r in range(5)} | {(1, 1): 10, (3, 3): -5}),
    "full.ard": area_bytes({(c, r): 4 for c in range(10) for r in range(10)} | {(5, 2): 3, (0, 9): 9}),
    "short.ard": area_bytes()[:200],
    "long.ard": area_bytes({(0, 0): 6}) + b"\n",
}
PICTURES = set(range(10))  # make_ten_pictures: entries 0 to 9 pictures, 10 data
ENTRIES = 11


def board(data):
    """{(col, row): value} of every cell, or None for a file that is not an area."""
    if len(data) != 420:
        return None
    values = CELLS.unpack_from(data, 12)
    return {(i // 10, i % 10): v for i, v in enumerate(values)}


def counted(n, thing):
    return "%d %s%s" % (n, thing, "" if n == 1 else "s")


class UsageTest(ToolTest):

    def setUp(self):
        super().setUp()
        for name, data in GAME.items():
            self.write(name, data)
        self.make_ten_pictures("ten.dat")

    def test_usage_counts_every_value_flags_the_undrawable_and_lists_unused_tiles(self):
        boards = [b for b in map(board, GAME.values()) if b is not None]
        values = sorted({v for b in boards for v in b.values()})
        cells = {v: sum(list(b.values()).count(v) for b in boards) for v in values}
        areas = {v: sum(v in b.values() for b in boards) for v in values}
        drawable = {v: v == -1 or v in PICTURES for v in values}
        unused = sorted(PICTURES - set(values))
        self.assertEqual(unused, [2, 6, 7, 8])  # the game is what this test means it to be
        want = ["%s: %s in %s%s" % ("empty" if v == -1 else v, counted(cells[v], "cell"),
                                    counted(areas[v], "area"),
                                    "" if drawable[v] else " (the tile set cannot draw it)")
                for v in values] + ["tile %d: not used in any area" % t for t in unused]
        status, out, err = self.tool("usage", "--tiles", "ten.dat", *GAME)
        self.assertEqual((status, out.splitlines()), (1, want))
        self.assertEqual(err.splitlines(), ["areatool: cannot read short.ard: only 200 of the 420 bytes of an area",
                                            "areatool: cannot read long.ard: holds more than the 420 bytes of an area"])
        # As JSON Lines: the same counts, an unused tile a value of no cells.
        status, out, json_err = self.tool("usage", "--json", "--tiles=ten.dat", *GAME)
        self.assertEqual((status, json_err), (1, err))
        self.assertEqual([json.loads(line) for line in out.splitlines()],
                         [{"format_version": 1, "value": v, "cells": cells[v], "areas": areas[v],
                           "drawable": drawable[v]} for v in values]
                         + [{"format_version": 1, "value": t, "cells": 0, "areas": 0, "drawable": True}
                            for t in unused])
        # Without --tiles, the tile set render would use: the folder's, of 9 tiles.
        status, out, _ = self.tool("usage", "hall.ard", "full.ard")
        flagged = [line.split(":")[0] for line in out.splitlines() if line.endswith("cannot draw it)")]
        unused = [line.split(":")[0] for line in out.splitlines() if line.endswith("not used in any area")]
        self.assertEqual((status, flagged, unused), (0, ["9", "12"], ["tile %d" % t for t in (0, 2, 6, 7, 8)]))

    def test_find_lists_cells_in_file_and_board_order_with_greps_statuses(self):
        def found(value, *names):
            return ["%s: cell at column %d, row %d" % (name, col, row) for name in names
                    for row in range(10) for col in range(10) if board(GAME[name])[(col, row)] == value]
        cases = [  # arguments, status, stdout's lines, stderr's count of lines
            (["3", "hall.ard", "yard.ard", "full.ard"], 0, found(3, "hall.ard", "yard.ard", "full.ard"), 0),
            (["0x3", "full.ard", "hall.ard"], 0, found(3, "full.ard", "hall.ard"), 0),
            # Row by row, as show prints the board, though the file holds it column by column.
            (["5", "hall.ard"], 0, ["hall.ard: cell at column 1, row 0", "hall.ard: cell at column 0, row 1"], 0),
            (["--files", "1", "hall.ard", "yard.ard"], 0, ["hall.ard"], 0),
            (["--files", "-1", "full.ard", "hall.ard", "yard.ard"], 0, ["hall.ard", "yard.ard"], 0),
            (["7", "hall.ard", "yard.ard"], 1, [], 0),
            (["3", "gone.ard", "short.ard", "hall.ard"], 2, found(3, "hall.ard"), 2),
            (["7", "gone.ard", "hall.ard"], 2, [], 1),
            (["three", "hall.ard"], 2, [], 1),
            (["3"], 2, [], 1),
        ]
        for args, status, lines, errors in cases:
            with self.subTest(args=args):
                got_status, out, err = self.tool("find", *args)
                self.assertEqual((got_status, out.splitlines(), len(err.splitlines())), (status, lines, errors))
        status, out, _ = self.tool("find", "--json", "3", "hall.ard", "full.ard")
        self.assertEqual([json.loads(line) for line in out.splitlines()], [
            {"format_version": 1, "file": "hall.ard", "column": 2, "row": 7, "value": 3},
            {"format_version": 1, "file": "full.ard", "column": 5, "row": 2, "value": 3}])


if __name__ == "__main__":
    unittest.main()
