"""The typical use of the Windows build under Wine, run from the unpacked
zip in a folder with no tile set, as a Windows user would: a new area
painted with keys and clicks, saved with its allowed time, then loaded
again and shown on the same board at 15 bits. Answers end in CR LF as a
Windows console sends them, and the dialogue's lines end so too: the console is in text
mode both ways (read as bytes, the CR would be taken for the answer to the
save question)."""

import os
import shutil
import tempfile
import unittest
import zipfile

import harness
import wine_support
from wine_support import LOAD_NAME, MENU, MENU_ANSWERED, NEW_NAME, SAVE, TIME

PAINTED = {(0, 0): 1, (2, 7): 3, (9, 9): 8}
UNPAINTED = (5, 4)
BLACK = (0, 0, 0)
TOLERANCE = 12  # per channel, between the 16- and 15-bit pictures of a tile


def close(a, b):
    return all(abs(x - y) <= TOLERANCE for x, y in zip(a, b))


class WineEditorTest(wine_support.WineTest):

    def test_painted_area_is_saved_and_loads_back_onto_the_same_board(self):
        package = tempfile.mkdtemp(prefix="areaedit-zip-")
        self.addCleanup(shutil.rmtree, package, True)
        with zipfile.ZipFile(wine_support.ZIP) as z:
            self.assertEqual(sorted(z.namelist()), [
                "areaedit/", "areaedit/README.txt", "areaedit/areaedit.exe", "areaedit/areatool.exe",
                "areaedit/graphics.dat", "areaedit/tiled/", "areaedit/tiled/areaedit.js",
                "areaedit/tiled/graphics.png", "areaedit/tiled/graphics.tsx",
                "areaedit/tiled/plain.png", "areaedit/tiled/plain.tsx"])
            z.extractall(package)
        os.remove(self.path("graphics.dat"))  # the one beside the program is used
        program = self.start(os.path.join(package, "areaedit", "areaedit.exe"))
        program.answer(MENU, "1\r\n")
        program.answer(NEW_NAME, "hall\r\n")
        origin = self.wait_for_window()
        for (col, row), value in PAINTED.items():
            self.paint(origin, str(value), (col, row))
        first = self.x.screenshot()
        self.x.escape()
        program.answer(SAVE, "y\r\n")
        program.answer(TIME, "120\r\n")
        self.wait_for_no_window()

        program.answer(MENU, "2\r\n")
        program.answer(LOAD_NAME, "hall\r\n")
        origin_again = self.wait_for_window()
        second = self.x.screenshot()
        self.x.escape()
        program.answer(SAVE, "n\r\n")
        program.answer(MENU, "3\r\n")
        self.assertEqual(program.wait(), 0)

        self.assertEqual(self.read_file("hall.ard"),
                         harness.area_bytes(cells=PAINTED, mark=(2, 7), time_allowed=120, name=b"hall"))
        self.assertEqual(os.listdir(self.folder), ["hall.ard"])
        # 16 bits for the new area, 15 for the loaded one: the greens differ.
        self.assertNotEqual(first.pixel(*origin), second.pixel(*origin_again))
        for cell in PAINTED:
            seen = self.cell_colour(first, origin, *cell)
            self.assertNotEqual(seen, BLACK, cell)
            self.assertTrue(close(seen, self.cell_colour(second, origin_again, *cell)), cell)
        self.assertEqual(self.cell_colour(first, origin, *UNPAINTED), BLACK)
        self.assertEqual(self.cell_colour(second, origin_again, *UNPAINTED), BLACK)
        self.assertEqual(program.stdout_text(),
                         MENU_ANSWERED + NEW_NAME + SAVE + "\r\n" + TIME
                         + MENU_ANSWERED + LOAD_NAME + SAVE + MENU_ANSWERED)
        self.assertEqual(program.stderr_text(), "")


if __name__ == "__main__":
    unittest.main()
