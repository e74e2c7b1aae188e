"""The Windows build under Wine where Windows differs: names Windows keeps
for devices refused at both prompts with nothing written, a save over a
read-only area file that fails and keeps it, and areatool.exe's commands,
folders given with backslashes, its pictures the same pixels as the Linux
areatool's, and its refusal of tile sets that the graphics library faulted
on before windows/patches/ mended it."""

import os
import shutil
import stat
import tempfile
import time
import unittest

import harness
import wine_support
from damaged_tile_set import damaged_tile_sets
from dialogue import LOADED_AREA_DEPTH
from tool_support import read_picture, run
from wine_support import AREATOOL, LINUX_AREATOOL, LOAD_NAME, MENU, NEW_NAME, TIME

# Every tile, the placeholder for values without a picture, and the mark.
BOARD = harness.area_bytes({(c, 9 - c): c for c in range(9)} | {(9, 0): 9, (0, 0): -5, (5, 0): 1000},
                           mark=(1, 8), name=b"board")

DEVICE = "areaedit: cannot use that name: the name is a device name on Windows"
RESERVED = 'areaedit: cannot use that name: the name holds one of < > : " | ? *, which Windows does not allow'


class WineNamesAndSavesTest(wine_support.WineTest):

    def test_device_and_reserved_names_are_asked_again_at_both_prompts(self):
        program = self.start(display=False)
        program.answer(MENU, "1\n")
        for name in ("con", "NUL.x", "com1", "a:b"):
            program.answer(NEW_NAME, name + "\n")
        program.expect(NEW_NAME)
        program.close_input()
        self.assertEqual(program.wait(), 1)
        self.assertEqual(program.stderr_text().splitlines(),
                         [DEVICE, DEVICE, DEVICE, RESERVED,
                          'areaedit: input ended before an answer to "Please name the area: "'])
        program = self.start(display=False)
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "aux\n")
        program.answer(LOAD_NAME, "sub\\prn\n")
        program.answer(LOAD_NAME, "absent\n")  # the file is not there: status 1, as on Linux
        self.assertEqual(program.wait(), 1)
        self.assertEqual(program.stderr_text().splitlines(), [DEVICE, DEVICE])
        self.assertEqual(os.listdir(self.folder), ["graphics.dat"])

    def test_save_over_a_read_only_area_keeps_it_and_goes_on(self):
        old = harness.area_bytes(cells={(1, 1): 2}, time_allowed=5, name=b"cave")
        self.write("cave.ard", old)
        os.chmod(self.path("cave.ard"), stat.S_IRUSR)  # Wine shows it as read-only
        program = self.start()
        program.answer(MENU, "2\n")
        origin = self.open_window(program, LOAD_NAME, "cave\n")
        self.paint(origin, LOADED_AREA_DEPTH, 4, (3, 3))
        self.leave(program)
        program.send("y\n")
        program.answer(TIME, "60\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        errors = program.stderr_text().splitlines()
        self.assertEqual(len(errors), 1, errors)
        self.assertTrue(errors[0].startswith("areaedit: cannot save cave.ard: "), errors)
        self.assertEqual(self.read("cave.ard"), old)
        self.assertEqual(sorted(os.listdir(self.folder)), ["cave.ard", "graphics.dat"])

    def assert_same_as_on_linux(self, picture, linux_argv, inputs):
        """picture, which areatool.exe wrote, must be pixel for pixel what
        the Linux areatool writes when run with linux_argv in a folder of its
        own holding the same tile set and the inputs."""
        self.assertTrue(os.access(LINUX_AREATOOL, os.X_OK),
                        "no Linux areatool at %s to compare with: build it with scripts/setup.sh, or name "
                        "its build folder in AREAEDIT_LINUX_BUILD" % LINUX_AREATOOL)
        linux = tempfile.mkdtemp(prefix="areatool-linux-")
        self.addCleanup(shutil.rmtree, linux, True)
        os.mkdir(os.path.join(linux, "sub"))
        for name in ["graphics.dat", *inputs]:
            shutil.copy(self.path(name), linux)
        status, _, err = run([LINUX_AREATOOL, *linux_argv], linux)
        self.assertEqual(status, 0, err)
        ours, theirs = read_picture(self, self.path(picture)), read_picture(self, os.path.join(linux, picture))
        self.assertEqual((ours.width, ours.height), (theirs.width, theirs.height), picture)
        wrong = [(i // 3 % ours.width, i // 3 // ours.width, tuple(ours.data[i:i + 3]), tuple(theirs.data[i:i + 3]))
                 for i in range(0, len(ours.data), 3) if ours.data[i:i + 3] != theirs.data[i:i + 3]]
        self.assertEqual(wrong[:5], [], "%s: (x, y, Windows, Linux) of %d pixels that differ" % (picture, len(wrong)))

    def test_areatool_shows_checks_and_renders(self):
        self.write("cave.ard", harness.area_bytes(cells={(0, 0): 1}, mark=(0, 0), name=b"cave"))
        self.write("board.ard", BOARD)
        # Made elsewhere: Windows cannot save an area named so.
        self.write("odd.ard", harness.area_bytes(name=b"NUL"))
        show = self.start(AREATOOL, ["show", "cave.ard"], display=False)
        self.assertEqual(show.wait(), 0)
        self.assertIn("name: cave\r\nmark: column 0, row 0\r\n", show.stdout_text())
        self.assertIn(" 0 >1.........<\r\n", show.stdout_text())
        check = self.start(AREATOOL, ["check", "cave.ard", "odd.ard"], display=False)
        self.assertEqual(check.wait(), 1)
        self.assertEqual(check.stdout_text(), "odd.ard: the name is a device name on Windows\r\n")
        render = self.start(AREATOOL, ["render", "--scale", "2", "board.ard", "board.png"], display=False)
        self.assertEqual(render.wait(), 0, render.stderr_text())
        png = self.read("board.png")
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(png[16:24], (700).to_bytes(4, "big") * 2)  # width and height
        self.assert_same_as_on_linux("board.png", ["render", "--scale", "2", "board.ard", "board.png"], ["board.ard"])
        # merge, as git runs it, and tileset, the other PNG writer.
        self.write("ours.ard", harness.area_bytes(cells={(0, 0): 1, (5, 5): 2}, name=b"cave"))
        self.write("theirs.ard", harness.area_bytes(cells={(0, 0): 1, (9, 0): 7}, name=b"cave"))
        merge = self.start(AREATOOL, ["merge", "cave.ard", "ours.ard", "theirs.ard"], display=False)
        self.assertEqual(merge.wait(), 0, merge.stderr_text())
        self.assertEqual(self.read("ours.ard"),
                         harness.area_bytes(cells={(0, 0): 1, (5, 5): 2, (9, 0): 7}, name=b"cave"))
        os.mkdir(self.path("sub"))
        tileset = self.start(AREATOOL, ["tileset", "sub\\tiles.tsx"], display=False)
        self.assertEqual(tileset.wait(), 0, tileset.stderr_text())
        self.assertIn('<image source="tiles.png"', self.read("sub/tiles.tsx").decode())
        self.assertEqual(self.read("sub/tiles.png")[:8], b"\x89PNG\r\n\x1a\n")
        self.assert_same_as_on_linux(os.path.join("sub", "tiles.png"), ["tileset", "sub/tiles.tsx"], [])
        self.assertEqual(sorted(os.listdir(self.folder)), ["board.ard", "board.png", "cave.ard", "graphics.dat",
                                                           "odd.ard", "ours.ard", "sub", "theirs.ard"])

    def test_areatool_refuses_a_damaged_tile_set_in_one_line_and_seconds(self):
        stored = harness.area_bytes(cells={(0, 0): 1}, name=b"cave")
        self.write("cave.ard", stored)
        # Wine starts slowly: each damage once, check and render by turns.
        commands = [["check", "--tiles", "damaged.dat", "cave.ard"],
                    ["render", "--tiles", "damaged.dat", "cave.ard", "cave.png"]]
        for n, (name, data) in enumerate(damaged_tile_sets(wine_support.TILE_SET).items()):
            self.write("damaged.dat", data)
            command = commands[n % 2]
            with self.subTest(name, command=command[0]):
                started = time.monotonic()
                tool = self.start(AREATOOL, command, display=False)
                self.assertEqual(tool.wait(), 1)
                self.assertLess(time.monotonic() - started, 30)  # Wine's start included
                self.assertEqual(tool.stderr_text().splitlines(),
                                 ["areatool: cannot use the tile set damaged.dat: damaged or cut short"])
                self.assertEqual(self.read("cave.ard"), stored)
                self.assertEqual(sorted(os.listdir(self.folder)), ["cave.ard", "damaged.dat", "graphics.dat"])


if __name__ == "__main__":
    unittest.main()
