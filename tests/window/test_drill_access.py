"""Failure drills: a working folder the program may not write, and an area
file its owner made read-only. The program runs as an unprivileged user in
a folder it can read but not write, or as whoever runs the tests (root too)
beside the read-only file; every save is refused with one line, the area
files stay as they were, and the menu goes on."""

import os
import shutil
import unittest

import harness
from drill_support import LOADED_AREA_DEPTH, NEW_AREA_DEPTH, DrillTest

AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"]


class ReadOnlyTest(DrillTest):

    def test_unwritable_folder_refuses_each_save_and_keeps_every_area_file(self):
        if os.geteuid() != 0 or not shutil.which("setpriv"):
            self.skipTest("running as another user needs root and setpriv")
        os.chmod(self.folder, 0o755)  # readable by everyone, writable by root alone
        for name in os.listdir(self.folder):
            os.chmod(self.path(name), 0o644)
        program_path, env = self.private_copy_of_program()
        program = harness.Program(AS_NOBODY + [program_path], self.folder, env)
        self.addCleanup(program.finish)
        self.visit_and_save(program, 2, "hall", LOADED_AREA_DEPTH)
        self.visit_and_save(program, 1, "fresh", NEW_AREA_DEPTH)
        self.assert_back_at_menu_then_exit(program)
        lines = [line for line in program.stderr_text().splitlines() if line.strip()]
        self.assertEqual(len(lines), 2, lines)
        for line, name in zip(lines, ["hall.ard", "fresh.ard"]):
            self.assertIn(name, line)
            self.assertIn("Permission denied", line)
        self.assert_areas_untouched()

    def test_read_only_area_file_is_kept_and_the_menu_goes_on(self):
        os.chmod(self.path("hall.ard"), 0o444)  # root could still write it
        program = self.start()
        self.visit_and_save(program, 2, "hall", LOADED_AREA_DEPTH)
        self.assert_back_at_menu_then_exit(program)
        self.assertEqual(self.one_line(program), "areaedit: cannot save hall.ard: the file is read-only")
        self.assert_areas_untouched()


if __name__ == "__main__":
    unittest.main()
