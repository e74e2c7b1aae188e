"""Failure drills for what the editor needs from outside: a display, and
graphics.dat. No display at all, the display going away while an area is
being edited, and graphics.dat removed or cut short between two visits
each end the program with status 1 and one line, never a crash or a hang,
with every area file on disk as it was before."""

import os
import shutil
import tempfile
import time
import unittest

import harness
from drill_support import LOAD_NAME, LOADED_AREA_DEPTH, MENU, NEW_AREA_DEPTH, NEW_NAME, DrillTest

DISPLAY_LOST_ROUNDS = 3  # the ways it can go wrong depend on timing
ENDS_WITHIN = 10.0       # seconds after the display goes


class DisplayDrillTest(DrillTest):

    def test_no_display_ends_with_status_1_before_an_existing_area_is_touched(self):
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        program = self.start(env=env)
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "hall\n")  # the name of a file on disk
        self.assertEqual(program.wait(), 1)
        self.assertIn("Cannot set a graphics mode", program.stdout_text())
        self.assertNotIn("Shutting down", program.stdout_text())
        self.assert_areas_untouched()

    def test_display_lost_while_editing_ends_with_status_1_and_one_line(self):
        for attempt in range(DISPLAY_LOST_ROUNDS):
            with self.subTest(attempt=attempt), harness.Xvfb() as x:
                program = harness.Program([harness.AREAEDIT], self.folder, x.env())
                self.addCleanup(program.finish)
                program.answer(MENU, "2\n")
                program.answer(LOAD_NAME, "hall\n")
                x.wait_for_window(LOADED_AREA_DEPTH)
                x.paint("4", (8, 8))
                x.process.kill()
                x.process.wait()
                gone = time.monotonic()
                self.assertEqual(program.wait(ENDS_WITHIN), 1, program.stderr_text()[-2000:])
                self.assertLess(time.monotonic() - gone, ENDS_WITHIN)
                self.one_line(program)
                self.assert_areas_untouched()

    def test_tile_set_gone_between_visits_ends_with_status_1_and_keeps_the_first_save(self):
        with open(harness.TILE_SET, "rb") as f:
            whole = f.read()
        # A copy of the program on its own, without the build's tile set
        # beside it to fall back on.
        bin_folder = tempfile.mkdtemp(prefix="areaedit-lone-")
        self.addCleanup(shutil.rmtree, bin_folder, True)
        lone = shutil.copy(harness.AREAEDIT, bin_folder)
        for how, damage in [("removed", lambda: os.remove(self.path("graphics.dat"))),
                            ("cut short", lambda: self.write("graphics.dat", whole[:len(whole) // 2]))]:
            with self.subTest(how):
                self.write("graphics.dat", whole)
                program = self.start([lone])
                self.visit_and_save(program, 1, "fresh", NEW_AREA_DEPTH)
                program.expect(MENU)
                saved = self.read("fresh.ard")
                damage()
                program.send("2\n")
                program.answer(LOAD_NAME, "hall\n")
                self.assertEqual(program.wait(), 1)
                self.assertIn("graphics.dat", self.one_line(program))
                self.assertEqual(self.read("fresh.ard"), saved)
                with open(self.path("graphics.dat"), "wb") as f:
                    f.write(whole)
                self.assert_areas_untouched(extra=["fresh.ard"])
                os.remove(self.path("fresh.ard"))


if __name__ == "__main__":
    unittest.main()
