"""The typical use of the Windows build under Wine, run from the unpacked
zip in a folder with no tile set, as a Windows user would: a new area
painted with keys and clicks, saved with its allowed time, then loaded
again; each visit shows every cell's tile pixel for pixel at its depth (16
bits for a new area, 15 for a loaded one). Answers end in CR LF as a
Windows console sends them, and the dialogue's lines end so too: the console is in text
mode both ways (read as bytes, the CR would be taken for the answer to the
save question). An editor left alone sleeps between its frames."""

import os
import shutil
import tempfile
import time
import unittest
import zipfile

import harness
import wine_support
from dialogue import LOADED_AREA_DEPTH, NEW_AREA_DEPTH
from wine_support import LOAD_NAME, MENU, MENU_ANSWERED, NEW_NAME, SAVE, TIME, cell_problem

PAINTED = {(0, 0): 1, (2, 7): 3, (9, 9): 8}
UNPAINTED = (5, 4)
# An editor that polls for the retrace instead of sleeping takes most of a
# core under Wine; one that sleeps, a few per cent. The limit is far above
# the latter so that a loaded machine cannot fail it (./bench.sh measures
# the figures themselves). Wine's GDI renderer draws the window for this
# case: its default one, through OpenGL, runs a command thread in the
# program's process that busy-waits between frames whatever the program does.
DIRECT3D_KEY = r"HKCU\Software\Wine\Direct3D"
IDLE_LIMIT = 0.30   # of one core
IDLE_SECONDS = 4.0
SETTLE_SECONDS = 1.0
# A line of the notice of each part of the programs: areaedit, the graphics
# library, libpng, zlib, MinGW-w64's runtime and its thread
# library, and GCC's runtime libraries.
LINKED_NOTICES = ("Copyright (c) 2026 the areaedit developers", "The giftware license",
                  "PNG Reference Library License",
                  "Jean-loup Gailly and Mark Adler", "Copyright: 2009-2016 the mingw-w64 project",
                  "Files: mingw-w64-libraries/winpthreads/*", "GCC RUNTIME LIBRARY EXCEPTION",
                  " - libstdc++-v3")


class WineEditorTest(wine_support.WineTest):

    def test_painted_area_is_saved_and_loads_back_onto_the_same_board(self):
        package = tempfile.mkdtemp(prefix="areaedit-zip-")
        self.addCleanup(shutil.rmtree, package, True)
        with zipfile.ZipFile(wine_support.ZIP) as z:
            self.assertEqual(sorted(z.namelist()), [
                "areaedit/", "areaedit/LICENSES.txt", "areaedit/README.txt", "areaedit/areaedit.exe",
                "areaedit/areatool.exe", "areaedit/graphics.dat", "areaedit/tiled/",
                "areaedit/tiled/areaedit.js", "areaedit/tiled/graphics.png",
                "areaedit/tiled/graphics.tsx", "areaedit/tiled/plain.png", "areaedit/tiled/plain.tsx"])
            licences = z.read("areaedit/LICENSES.txt").decode()
            z.extractall(package)
        for notice in LINKED_NOTICES:
            self.assertIn(notice, licences)
        os.remove(self.path("graphics.dat"))  # the one beside the program is used
        program = self.start(os.path.join(package, "areaedit", "areaedit.exe"))
        program.answer(MENU, "1\r\n")
        origin = self.open_window(program, NEW_NAME, "hall\r\n")
        for cell, value in PAINTED.items():
            self.paint(origin, NEW_AREA_DEPTH, value, cell)
        first = self.x.screenshot()
        self.leave(program)
        program.send("y\r\n")
        program.answer(TIME, "120\r\n")
        self.wait_for_no_window()

        program.answer(MENU, "2\r\n")
        origin_again = self.open_window(program, LOAD_NAME, "hall\r\n")
        second = self.x.screenshot()
        self.leave(program)
        program.send("n\r\n")
        program.answer(MENU, "3\r\n")
        self.assertEqual(program.wait(), 0)

        self.assertEqual(self.read("hall.ard"),
                         harness.area_bytes(cells=PAINTED, mark=(2, 7), time_allowed=120, name=b"hall"))
        self.assertEqual(os.listdir(self.folder), ["hall.ard"])
        # 16 bits for the new area, 15 for the loaded one: the greens differ.
        self.assertNotEqual(first.pixel(*origin), second.pixel(*origin_again))
        for shot, at, depth in [(first, origin, NEW_AREA_DEPTH), (second, origin_again, LOADED_AREA_DEPTH)]:
            for cell, value in [*PAINTED.items(), (UNPAINTED, harness.EMPTY)]:
                self.assertIsNone(cell_problem(shot, at, *cell, value, depth))
        self.assertEqual(program.stdout_text(),
                         MENU_ANSWERED + NEW_NAME + SAVE + "\r\n" + TIME
                         + MENU_ANSWERED + LOAD_NAME + SAVE + MENU_ANSWERED)
        self.assertEqual(program.stderr_text(), "")

    def test_an_editor_left_alone_does_not_keep_a_core_busy(self):
        wine_support.run_wine(self.prefix, "reg", "add", DIRECT3D_KEY, "/v", "renderer", "/d", "gdi", "/f")
        # Its Wine server has no display: the editor's must start a new one.
        wine_support.end_wineserver(self.prefix)
        self.addCleanup(wine_support.run_wine, self.prefix, "reg", "delete", DIRECT3D_KEY, "/v", "renderer", "/f")
        program = self.start()
        program.answer(MENU, "1\r\n")
        self.open_window(program, NEW_NAME, "idle\r\n")
        time.sleep(SETTLE_SECONDS)
        used = wine_support.cpu_share(program.process.pid, IDLE_SECONDS)
        self.assertLess(used, IDLE_LIMIT, "the idle editor used %.0f %% of a core" % (100 * used))
        self.leave(program)
        program.send("n\r\n")
        program.answer(MENU, "3\r\n")
        self.assertEqual(program.wait(), 0)


if __name__ == "__main__":
    unittest.main()
