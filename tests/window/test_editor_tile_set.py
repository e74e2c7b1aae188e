"""graphics.dat that the editor cannot use: missing, not a datafile, cut
short, damaged where the graphics library's loader faults, too few
entries, or an entry 0 to 8 that is not a bitmap. Each ends
the program with one line on stderr naming the file and the problem, and
status 1, before anything is saved. Entries past 8 may be anything."""

import os
import random
import shutil
import subprocess
import time
import unittest

from damaged_tile_set import damaged_tile_sets
from editor_support import ASSETS, LOAD_NAME, MENU, NEW_NAME, SAVE, EditorTest
import harness
from harness import DAT, TILE_SET, area_bytes


class TileSetTest(EditorTest):

    def make_tile_set(self, *entries):
        harness.make_tile_set(self.path("graphics.dat"), entries)

    def assert_refused(self, *words, argv=None):
        """Starts a new area and checks that the editor refuses the tile
        set with one line holding words."""
        program = self.start(argv)
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "hall\n")
        status = program.wait()
        lines = program.stderr_text().splitlines()
        self.assertEqual(status, 1, lines)
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("graphics.dat", lines[0])
        for word in words:
            self.assertIn(word, lines[0])
        self.assertNotIn("Shutting down", program.stdout_text())
        self.assertNotIn(SAVE, program.stdout_text())
        self.assertFalse(os.path.exists(self.path("hall.ard")))

    def write_tile_set(self, data):
        self.write("graphics.dat", data)

    def test_missing_tile_set_is_named_with_the_places_looked_in(self):
        # A copy of the program on its own: the build's tile set lies
        # beside the build's program, and is found there.
        bin_folder = os.path.join(self.folder, "bin")
        os.mkdir(bin_folder)
        lone = shutil.copy(harness.AREAEDIT, bin_folder)
        os.remove(self.path("graphics.dat"))
        self.assert_refused("No such file", "working folder", bin_folder,
                            os.path.join(self.folder, "share", "areaedit"), argv=[lone])

    def test_file_that_is_not_a_datafile_is_refused(self):
        garbage = random.Random(7).randbytes(4096)
        with open(os.path.join(ASSETS, "tile0.bmp"), "rb") as f:
            picture = f.read()
        for name, data in [("empty", b""), ("garbage", garbage), ("a picture", picture)]:
            with self.subTest(name):
                self.write_tile_set(data)
                self.assert_refused("not a datafile")

    def test_tile_set_cut_short_is_refused(self):
        # The library's loader crashes or hangs on every one of these.
        with open(TILE_SET, "rb") as f:
            whole = f.read()
        for size in [12, 200, len(whole) // 2, len(whole) - 1]:
            with self.subTest(size=size):
                self.write_tile_set(whole[:size])
                self.assert_refused("cut short")
        self.make_tile_set(*range(9))
        subprocess.run([DAT, "-c2", self.path("graphics.dat")], check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        compressed = self.read("graphics.dat")
        with self.subTest("compressed"):
            self.write_tile_set(compressed[:len(compressed) * 2 // 3])
            self.assert_refused("cut short")

    def test_tile_set_the_library_faults_on_is_refused_in_seconds_keeping_the_area(self):
        stored = area_bytes({(3, 4): 5})
        self.write("hall.ard", stored)
        for name, data in damaged_tile_sets(TILE_SET).items():
            with self.subTest(name):
                self.write_tile_set(data)
                started = time.monotonic()
                program = self.start()
                program.answer(MENU, "2\n")
                program.answer(LOAD_NAME, "hall\n")
                status = program.wait()
                lines = program.stderr_text().splitlines()
                self.assertLess(time.monotonic() - started, 10)
                self.assertEqual((status, lines), (1, ["areaedit: graphics.dat: damaged or cut short"]))
                self.assertNotIn("Shutting down", program.stdout_text())
                self.assertEqual(self.read("hall.ard"), stored)

    def test_tile_set_with_fewer_than_nine_entries_is_refused(self):
        self.make_tile_set(0, 1, 2, 3, 4)
        self.assert_refused("fewer than the 9")

    def test_tile_set_whose_entry_0_to_8_is_no_bitmap_is_refused(self):
        self.make_tile_set(0, 1, 2, 3, "notes", 5, 6, 7, 8)
        self.assert_refused("entry 4 is not a bitmap")
        # dat ends every datafile with an entry of its own, so with eight
        # pictures that entry is entry 8.
        self.make_tile_set(*range(8))
        self.assert_refused("entry 8 is not a bitmap")

    def test_entry_past_8_that_is_no_bitmap_shows_the_placeholder(self):
        self.make_tile_set(*range(9), "notes")
        cells = {(1, 1): 8, (2, 2): 9}
        program = self.open_stored(area_bytes(cells))
        self.board_until(cells)
        _, _, saved, _ = self.leave_and_save(program)
        self.assertEqual(saved, cells)


if __name__ == "__main__":
    unittest.main()
