"""Failure drills for saving: the disk filling up, a write cut off midway
through the file, and a save target that is a directory. Each failure is one
line on stderr, every area file already on disk stays byte for byte as it
was, no temporary file is left, and the menu goes on and can save again."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import harness
from drill_support import LOADED_AREA_DEPTH, MENU, NEW_AREA_DEPTH, DrillTest
from harness import LIMITED_START

TMPFS_SIZE = 256 * 1024

CUT_OFF_AT = 200  # bytes of the 420 that reach the disk


class FullDiskTest(DrillTest):

    def mount_small_disk(self):
        """A tmpfs of its own holding graphics.dat and the seeded areas,
        filled up to the last byte."""
        if os.geteuid() != 0:
            self.skipTest("mounting a tmpfs needs root")
        disk = tempfile.mkdtemp(prefix="areaedit-drill-disk-")
        self.addCleanup(shutil.rmtree, disk, True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % TMPFS_SIZE, "tmpfs", disk],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
        if mounted.returncode != 0:
            self.skipTest("cannot mount a tmpfs here")
        self.addCleanup(subprocess.run, ["umount", "-l", disk], timeout=20)
        shutil.copy(harness.TILE_SET, os.path.join(disk, "graphics.dat"))
        self.seed_areas(disk)
        filler = os.open(os.path.join(disk, "filler"), os.O_WRONLY | os.O_CREAT, 0o644)
        try:
            while os.write(filler, b"\0" * 4096) > 0:
                pass
        except OSError:
            pass  # full
        finally:
            os.close(filler)
        return disk

    def start_in(self, folder, argv=None):
        program = harness.Program(argv or [harness.AREAEDIT], folder, self.x.env())
        self.addCleanup(program.finish)
        return program

    def test_full_disk_fails_each_save_alone_and_a_save_after_space_is_freed_works(self):
        disk = self.mount_small_disk()
        program = self.start_in(disk)
        self.visit_and_save(program, 2, "hall", LOADED_AREA_DEPTH)
        self.visit_and_save(program, 1, "fresh", NEW_AREA_DEPTH)
        program.expect(MENU)
        lines = self.stderr_lines(program, at_least=2)
        self.assertEqual(len(lines), 2, lines)
        self.assertIn("hall.ard", lines[0])
        self.assertIn("fresh.ard", lines[1])
        for line in lines:
            self.assertIn("No space left on device", line)
        self.assert_areas_untouched(disk, extra=["filler"])

        os.remove(os.path.join(disk, "filler"))
        self.visit_and_save(program, 1, "fresh", NEW_AREA_DEPTH, time_allowed="12", menu_seen=True)
        self.assert_back_at_menu_then_exit(program)
        self.assertEqual(len(program.stderr_text().splitlines()), 2)
        self.assert_areas_untouched(disk, extra=["fresh.ard"])
        _, time_allowed, cells, _ = harness.parse_area(self.read_from(disk, "fresh.ard"))
        self.assertEqual((time_allowed, cells), (12, {(8, 8): 4}))

    def read_from(self, folder, name):
        with open(os.path.join(folder, name), "rb") as f:
            return f.read()

    def test_write_cut_off_midway_leaves_no_partial_copy_and_keeps_the_old_file(self):
        program = self.start_in(self.folder, [sys.executable, "-c", LIMITED_START, str(CUT_OFF_AT),
                                              harness.AREAEDIT])
        self.visit_and_save(program, 2, "hall", LOADED_AREA_DEPTH)
        self.assert_back_at_menu_then_exit(program)
        line = self.one_line(program)
        self.assertIn("hall.ard", line)
        self.assertIn("File too large", line)
        self.assert_areas_untouched()

    def test_save_onto_a_directory_named_in_a_loaded_area_keeps_it_and_saves_go_on(self):
        # copy.ard stores the name "den": its save goes to den.ard.
        os.mkdir(self.path("den.ard"))
        self.write(os.path.join("den.ard", "inside"), b"kept")
        program = self.start()
        self.visit_and_save(program, 2, "copy", LOADED_AREA_DEPTH)
        self.visit_and_save(program, 1, "fresh", NEW_AREA_DEPTH)
        self.assert_back_at_menu_then_exit(program)
        line = self.one_line(program)
        self.assertIn("den.ard", line)
        self.assertIn("Is a directory", line)
        self.assertEqual(os.listdir(self.path("den.ard")), ["inside"])
        self.assertEqual(self.read(os.path.join("den.ard", "inside")), b"kept")
        self.assert_areas_untouched(extra=["den.ard", "fresh.ard"])
        self.assertEqual(len(self.read("fresh.ard")), 420)


if __name__ == "__main__":
    unittest.main()
