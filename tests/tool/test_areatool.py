"""areatool without a display: show's text, check's findings and exit
status, render's PNG (tiles exact, scaling by replication) and its
failures, which leave no PNG behind, tileset's Tiled tile set and sheet,
and the command line's refusals."""

import json
import os
import re
import sys
import time
import unittest
import xml.etree.ElementTree as ElementTree

import harness
from damaged_tile_set import damaged_tile_sets
from editor_support import ASSETS
from harness import LIMITED_START, TILE, area_bytes
from tool_support import AREATOOL, BOARD, ToolTest, read_picture, run

PICTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pictures")


class ShowTest(ToolTest):

    def test_show_draws_the_board_row_by_row_and_points_at_the_mark(self):
        self.write("hall.ard", area_bytes({(1, 0): 5, (0, 3): 2, (9, 9): 8}, mark=(7, 4),
                                          time_allowed=90))
        board = [" 0  .5........", " 1  ..........", " 2  ..........", " 3  2.........",
                 " 4 >..........<"] + [" %d  .........." % r for r in range(5, 9)] + [" 9  .........8"]
        want = ["name: hall", "mark: column 7, row 4", "time allowed: 90", "",
                "    0123456789", "           v"] + board
        self.assertEqual(self.tool("show", "hall.ard"), (0, "\n".join(want) + "\n", ""))

    def test_show_goes_on_past_files_it_cannot_read_and_fails(self):
        self.write("a.ard", area_bytes(name=b"a"))
        self.write("short.ard", area_bytes()[:419])
        self.write("b.ard", area_bytes(name=b"b"))
        os.mkdir(self.path("dir.ard"))
        status, out, err = self.tool("show", "a.ard", "gone.ard", "short.ard", "dir.ard", "b.ard")
        self.assertEqual(status, 1)
        self.assertEqual([out.startswith("==> a.ard <==\nname: a\n"), out.count("==>")], [True, 2])
        self.assertIn("\n\n==> b.ard <==\nname: b\n", out)
        self.assertRegex(err, r"^areatool: cannot read gone.ard: No such file.*\n.*short.ard: only 419 of"
                              r".*\n.*dir.ard: Is a directory$")
        # As JSON Lines: an object for each file read, the same errors and status.
        json_status, out, json_err = self.tool("show", "a.ard", "gone.ard", "short.ard", "dir.ard",
                                               "b.ard", "--json")
        self.assertEqual((json_status, json_err), (status, err))
        self.assertEqual([(o["format_version"], o["file"], o["name"]) for o in map(json.loads, out.splitlines())],
                         [(1, "a.ard", "a"), (1, "b.ard", "b")])


class CheckTest(ToolTest):

    def test_check_passes_sound_files_silently(self):
        self.write("a.ard", area_bytes({(c, c): c for c in range(9)}, mark=(9, 9), name=b"seven77"))
        self.write("b.ard", area_bytes(name=b"b\0junk"))
        self.assertEqual(self.tool("check", "a.ard", "b.ard"), (0, "", ""))

    def test_check_reports_every_problem_naming_file_and_cell(self):
        self.write("long.ard", area_bytes() + b"\0")
        self.write("open.ard", area_bytes(name=b"eightchr"))
        self.write("path.ard", area_bytes(name=b"a/b"))
        self.write("blank.ard", area_bytes(name=b""))
        self.write("device.ard", area_bytes(name=b"Com1"))  # fine here, not on Windows
        self.write("cells.ard", area_bytes({(2, 7): 9, (0, 1): -2}, mark=(2, 10)))
        self.write("short.ard", b"")
        status, out, err = self.tool("check", "long.ard", "open.ard", "path.ard", "blank.ard",
                                     "device.ard", "short.ard", "cells.ard")
        self.assertEqual(status, 1)
        self.assertEqual(out.splitlines(), [
            "long.ard: holds more than the 420 bytes of an area",
            "open.ard: the name is not terminated within its 8 bytes",
            "path.ard: the name holds a path separator",
            "blank.ard: the name is empty",
            "device.ard: the name is a device name on Windows",
            "cells.ard: cell at column 0, row 1 holds -2, which the tile set cannot draw",
            "cells.ard: cell at column 2, row 7 holds 9, which the tile set cannot draw",
            "cells.ard: the mark (column 2, row 10) is off the board"])
        self.assertEqual(err, "areatool: cannot read short.ard: only 0 of the 420 bytes of an area")
        # As JSON Lines: the same problems, each cell's by column and row.
        json_status, json_out, json_err = self.tool("check", "--json", "long.ard", "open.ard", "path.ard",
                                                    "blank.ard", "device.ard", "short.ard", "cells.ard")
        self.assertEqual((json_status, json_err), (status, err))
        problems = [json.loads(line) for line in json_out.splitlines()]
        self.assertEqual(["%s: %s" % (o["file"], o["message"]) for o in problems], out.splitlines())
        self.assertEqual([(o["format_version"], o.get("column"), o.get("row")) for o in problems][-4:],
                         [(1, None, None), (1, 0, 1), (1, 2, 7), (1, None, None)])

    def test_check_with_tiles_accepts_exactly_the_bitmap_entries(self):
        self.make_ten_pictures("ten.dat")
        self.write("a.ard", area_bytes({(0, 0): 9, (0, 1): 10, (0, 2): 11}))
        status, out, _ = self.tool("check", "--tiles", "ten.dat", "a.ard")
        self.assertEqual((status, [line.split(" holds ")[1][:2] for line in out.splitlines()]),
                         (1, ["10", "11"]))
        status, out, err = self.tool("check", "--tiles=gone.dat", "a.ard")
        self.assertEqual((status, out), (1, ""))
        self.assertIn("gone.dat: No such file", err)


class DamagedTileSetTest(ToolTest):

    def test_tile_set_the_library_faults_on_is_refused_in_one_line_and_seconds(self):
        self.write("a.ard", area_bytes({(1, 1): 2}))
        self.write("old.png", b"old picture")
        for name, data in damaged_tile_sets(harness.TILE_SET).items():
            self.write("damaged.dat", data)
            before = {f: open(self.path(f), "rb").read() for f in os.listdir(self.folder)}
            for command in (["check", "--tiles", "damaged.dat", "a.ard"],
                            ["render", "--tiles", "damaged.dat", "a.ard", "old.png"]):
                with self.subTest(name, command=command[0]):
                    started = time.monotonic()
                    status, out, err = self.tool(*command)
                    self.assertLess(time.monotonic() - started, 10)
                    self.assertEqual((status, out), (1, ""))
                    self.assertEqual(err, "areatool: cannot use the tile set damaged.dat: "
                                          "damaged or cut short")
                    self.assertEqual({f: open(self.path(f), "rb").read() for f in os.listdir(self.folder)},
                                     before)


class CommandLineTest(ToolTest):

    def test_help_succeeds_and_wrong_command_lines_are_refused_with_one_line(self):
        for args in (["--help"], ["check", "-h", "x.ard"]):
            status, out, err = self.tool(*args)
            self.assertEqual((status, out.split()[:2], err), (0, ["Usage:", "areatool"], ""))
        self.write("a.ard", area_bytes())
        for args in ([], ["draw", "a.ard"], ["show"], ["show", "--tiles", "x", "a.ard"],
                     ["check", "--frob", "a.ard"], ["check", "a.ard", "--tiles"],
                     ["render", "a.ard"], ["render", "a.ard", "a.png", "b.png"],
                     ["render", "--depth", "8", "a.ard", "a.png"]):
            with self.subTest(args=args):
                status, out, err = self.tool(*args)
                self.assertEqual((status, out, len(err.splitlines())), (2, "", 1), err)
                help_of = args[0] + " " if args and args[0] != "draw" else ""
                self.assertTrue(err.endswith("(see areatool %s--help)" % help_of), err)
                self.assertFalse(os.path.exists(self.path("a.png")))

    def test_version_is_the_projects_in_one_line(self):
        with open(os.path.join(os.path.dirname(__file__), "..", "..", "CMakeLists.txt")) as f:
            version = re.search(r"project\(areaedit VERSION (\S+)", f.read()).group(1)
        self.assertEqual(self.tool("--version"), (0, "areatool (areaedit) %s\n" % version, ""))


class RenderTest(ToolTest):
    CELLS = {(c, 9 - c): c for c in range(9)} | {(9, 0): 9, (0, 0): -5}

    def test_render_draws_tiles_exactly_and_scales_by_repeating_pixels(self):
        self.write("a.ard", area_bytes(self.CELLS))
        self.assertEqual(self.tool("render", "a.ard", "one.png"), (0, "", ""))
        self.assertEqual(self.tool("render", "--scale", "3", "a.ard", "three.png"), (0, "", ""))
        one, three = read_picture(self, self.path("one.png")), read_picture(self, self.path("three.png"))
        self.assertEqual((one.width, one.height, three.width), (BOARD, BOARD, 3 * BOARD))
        for (col, row), value in self.CELLS.items():
            seen = b"".join(one.data[3 * (BOARD * (TILE * row + dy) + TILE * col):][:3 * TILE]
                            for dy in range(TILE))
            if 0 <= value <= 8:
                tile = read_picture(self, os.path.join(ASSETS, "tile%d.bmp" % value))
                self.assertTrue(seen == tile.data, "cell %s is not tile %d" % ((col, row), value))
            else:
                colours = {seen[i:i + 3] for i in range(0, len(seen), 3)}
                self.assertEqual(colours, {b"\xff\0\xff", b"\xff\xff\xff"}, (col, row))
        self.assertEqual(one.pixel(TILE + 1, 1), (0, 0, 0))
        for y in range(BOARD):
            row = one.data[3 * BOARD * y:3 * BOARD * (y + 1)]
            wide = b"".join(row[i:i + 3] * 3 for i in range(0, len(row), 3))
            self.assertTrue(three.data[9 * BOARD * 3 * y:9 * BOARD * (3 * y + 3)] == wide * 3, y)

    def test_atlas_lays_boards_out_in_rows_each_as_render_draws_it_and_named(self):
        self.write("rooms/a.ard", area_bytes(self.CELLS))
        self.write("b.ard", area_bytes({(1, 1): 8}))
        margin, pitch = 2 * TILE, 2 * (BOARD + TILE)  # at scale 2
        status, out, err = self.tool("atlas", "--scale", "2", "--columns", "2", "rooms/a.ard", "gone.ard", "b.ard",
                                     "atlas.png")
        self.assertEqual((status, out, len(err.splitlines())), (1, "", 1), err)
        atlas = read_picture(self, self.path("atlas.png"))
        self.assertEqual((atlas.width, atlas.height), (margin + 2 * pitch, margin + 2 * pitch))

        def region(left, top, width, height):
            return b"".join(atlas.data[3 * (atlas.width * (top + y) + left):][:3 * width] for y in range(height))

        def colours(*place):
            data = region(*place)
            return {data[i:i + 3] for i in range(0, len(data), 3)}
        for name, left, top in (("rooms/a.ard", margin, margin), ("b.ard", margin, margin + pitch)):
            self.assertEqual(self.tool("render", "--scale", "2", name, "board.png")[0], 0)
            self.assertTrue(region(left, top, 2 * BOARD, 2 * BOARD) == read_picture(self, self.path("board.png")).data,
                            name)
        # Each place has its name in black in its margin below; the
        # unreadable file's holds nothing else, and the fourth is empty.
        green, black = b"\0\xc8\0", b"\0\0\0"
        for left, top in ((margin, margin), (margin + pitch, margin), (margin, margin + pitch)):
            self.assertEqual(colours(left, top + 2 * BOARD, 2 * BOARD, margin), {green, black})
        self.assertEqual(colours(margin + pitch, margin, 2 * BOARD, 2 * BOARD), {green})
        self.assertEqual(colours(margin + pitch, margin + pitch, pitch, pitch), {green})

        # Five boards take three columns.
        self.assertEqual(self.tool("atlas", *["b.ard"] * 5, "five.png")[0], 0)
        self.assertEqual(read_picture(self, self.path("five.png")).width, TILE + 3 * (BOARD + TILE))

    # The areas of pictures/atlas_of_four.png, the atlas of them in three
    # columns as it was drawn before it was drawn in bands.
    REFERENCE_AREAS = {"hall.ard": area_bytes(CELLS), "b.ard": area_bytes({(1, 1): 8}),
                       "a name too long to sit under its board.ard": area_bytes({(4, 4): 2}, mark=(4, 4)),
                       "tab\tin name.ard": area_bytes({(9, 9): 3})}

    def test_atlas_drawn_in_bands_is_the_reference_picture_enlarged(self):
        for name, data in self.REFERENCE_AREAS.items():
            self.write(name, data)
        reference = read_picture(self, os.path.join(PICTURES, "atlas_of_four.png"))
        stride = 3 * reference.width
        # At scale 1 each band is a row of boards; at scale 4 a row of boards
        # is two bands, cut through the boards.
        for scale in (1, 4):
            with self.subTest(scale=scale):
                self.assertEqual(self.tool("atlas", "--columns", "3", "--scale", str(scale),
                                           *self.REFERENCE_AREAS, "atlas.png"), (0, "", ""))
                atlas = read_picture(self, self.path("atlas.png"))
                self.assertEqual((atlas.width, atlas.height), (scale * reference.width, scale * reference.height))
                for y in range(reference.height):
                    row = reference.data[stride * y:][:stride]
                    wide = b"".join(row[i:i + 3] * scale for i in range(0, stride, 3))
                    if atlas.data[scale * stride * scale * y:][:scale * stride * scale] != wide * scale:
                        self.fail("rows %d to %d differ from the reference" % (scale * y, scale * y + scale - 1))

    def test_failed_render_leaves_no_png_and_keeps_an_old_one(self):
        self.write("a.ard", area_bytes(self.CELLS))
        self.write("old.png", b"old picture")
        self.write("junk.dat", b"junk")
        os.mkdir(self.path("dir.png"))
        before = sorted(os.listdir(self.folder))
        for args, status in [(["--tiles", "gone.dat", "a.ard", "old.png"], 1),
                             (["--tiles", "junk.dat", "a.ard", "old.png"], 1),
                             (["gone.ard", "old.png"], 1), (["a.ard", "dir.png"], 1),
                             (["a.ard", "no/such/dir.png"], 1), (["a.ard", "a.ard"], 2),
                             (["a.ard", "graphics.dat"], 2)] + [
                (["--scale", s, "a.ard", "old.png"], 2) for s in ("0", "17", "2x", "-1", "")]:
            with self.subTest(args=args):
                result = self.tool("render", *args)
                self.assertEqual((result[0], len(result[2].splitlines())), (status, 1), result)
                self.assertEqual(sorted(os.listdir(self.folder)), before)
                self.assertEqual(os.listdir(self.path("dir.png")), [])
        with open(self.path("old.png"), "rb") as f:
            self.assertEqual(f.read(), b"old picture")
        with open(self.path("a.ard"), "rb") as f:
            self.assertEqual(f.read(), area_bytes(self.CELLS))

    def test_png_cut_short_by_a_full_disk_fails_and_keeps_the_old_png(self):
        self.write("a.ard", area_bytes(self.CELLS))
        # The atlas at scale 4 is written while its later bands are drawn.
        for command in (["render", "a.ard"], ["atlas", "--scale", "4", "a.ard", "a.ard", "a.ard"]):
            self.assertEqual(self.tool(*command, "whole.png")[0], 0)
            whole = os.path.getsize(self.path("whole.png"))
            # The last bytes, as well as an early part, fail to reach the disk.
            for limit in (whole - 1, whole // 4):
                with self.subTest(command=command[0], limit=limit):
                    self.write("old.png", b"old picture")
                    status, _, err = run([sys.executable, "-c", LIMITED_START, str(limit), AREATOOL,
                                          *command, "old.png"], self.folder)
                    self.assertEqual((status, len(err.splitlines())), (1, 1), err)
                    with open(self.path("old.png"), "rb") as f:
                        self.assertEqual(f.read(), b"old picture")
                    self.assertEqual(sorted(os.listdir(self.folder)),
                                     ["a.ard", "graphics.dat", "old.png", "whole.png"])


class TilesetTest(ToolTest):

    def test_tileset_pictures_value_v_as_tile_v_in_a_sheet_beside_it(self):
        self.make_ten_pictures("ten.dat")
        os.mkdir(self.path("sub"))
        for args, tsx, count in [([], "graphics.tsx", 9), (["--tiles", "ten.dat", "sub/my.tsx"], "sub/my.tsx", 10)]:
            with self.subTest(args=args):
                self.assertEqual(self.tool("tileset", *args), (0, "", ""))
                tileset = ElementTree.parse(self.path(tsx)).getroot()
                image = tileset.find("image")
                png = tsx[:-len(".tsx")] + ".png"
                self.assertEqual([tileset.get(k) for k in ("tilewidth", "tileheight", "tilecount", "columns")] +
                                 [image.get(k) for k in ("source", "width", "height")],
                                 ["35", "35", str(count), str(count), os.path.basename(png), str(35 * count), "35"])
                sheet = read_picture(self, self.path(png))
                for v in range(count):
                    seen = b"".join(sheet.data[3 * (sheet.width * y + TILE * v):][:3 * TILE] for y in range(TILE))
                    tile = read_picture(self, os.path.join(ASSETS, "tile%d.bmp" % (v if v < 9 else 4)))
                    self.assertTrue(seen == tile.data, "tile %d is not the picture of entry %d" % (v, v))

    def test_tileset_writes_a_long_escaped_name_whole(self):
        name = "&" * 124  # escaped, over a thousand bytes of XML
        self.assertEqual(self.tool("tileset", name + ".tsx"), (0, "", ""))
        tileset = ElementTree.parse(self.path(name + ".tsx")).getroot()
        self.assertEqual((tileset.get("name"), tileset.find("image").get("source")), (name, name + ".png"))

    def test_failed_tileset_leaves_nothing_and_keeps_the_old_files(self):
        self.write("graphics.tsx", b"old tile set")
        self.write("graphics.png", b"old sheet")
        self.write("junk.dat", b"junk")
        os.mkdir(self.path("dir.png"))
        before = sorted(os.listdir(self.folder))
        limited = [sys.executable, "-c", LIMITED_START, "1000", AREATOOL]  # the sheet is cut short
        for argv, status in [([AREATOOL, "tileset", "--tiles", "junk.dat"], 1),
                             ([AREATOOL, "tileset", "dir.tsx"], 1),
                             ([AREATOOL, "tileset", "no/such/dir.tsx"], 1),
                             ([*limited, "tileset"], 1),
                             ([AREATOOL, "tileset", "graphics.dat"], 2),
                             ([AREATOOL, "tileset", "a.tsx", "b.tsx"], 2)]:
            with self.subTest(argv=argv[-2:]):
                result = run(argv, self.folder)
                self.assertEqual((result[0], len(result[2].splitlines())), (status, 1), result)
                self.assertEqual(sorted(os.listdir(self.folder)), before)
                self.assertEqual((self.read("graphics.tsx"), self.read("graphics.png")),
                                 (b"old tile set", b"old sheet"))


if __name__ == "__main__":
    unittest.main()
