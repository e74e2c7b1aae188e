"""Bringing the library up and down: init_graphics with and without its
device bit, exit_graphics without it, edit_area with no keyboard, Escape
already held as the editor starts (all through tests/editor_driver.cpp),
and the real program with no display."""

import os
import unittest

from editor_support import (AWAY, DRIVER, MENU, NEW_NAME, EditorTest, cell_centre,
                            stderr_until, wait_for_pointer_handover,
                            wait_for_visible_window)
from harness import wait_frames

UP_AT_16 = "screen=640x480x16 gfx=yes keyboard=yes mouse=yes timer=yes sound=yes"


class SetupTest(EditorTest):

    def driver(self, scenario):
        self.x.xdotool("mousemove", *AWAY)
        return self.start([DRIVER, scenario])

    def lines(self, program):
        return program.stdout_text().splitlines()

    def test_without_device_bit_no_window_opens_and_edit_area_refuses_at_once(self):
        program = self.driver("no_devices")
        program.expect("look")
        nothing = "screen=none gfx=no keyboard=no mouse=no timer=no sound=no"
        self.assertEqual(self.lines(program)[:2], ["after init: " + nothing, "after exit: " + nothing])
        wait_frames(5)
        self.assertIsNone(self.x.window())
        program.send("\n")
        program.expect("area unchanged")
        out = self.lines(program)
        self.assertRegex(out[3], r"^edit_area returned after \d+ ms$")
        self.assertLess(int(out[3].split()[3]), 1000)
        self.assertEqual(out[4], "area unchanged: yes")
        errors = stderr_until(program, "keyboard").splitlines()
        self.assertEqual(len(errors), 1, errors)
        self.assertIn("keyboard", errors[0])

        # The library was started once already; a real visit must still work.
        program.expect("visit: ")
        self.x.wait_for_window(16)
        self.assertEqual(self.lines(program)[5], "visit: " + UP_AT_16)
        self.leave_driver(program)

    def test_device_bit_alone_opens_the_window_and_exit_without_it_keeps_it(self):
        program = self.driver("device_bit")
        program.expect("look")
        self.assertEqual(self.lines(program)[:2], ["after init: " + UP_AT_16, "after exit: " + UP_AT_16])
        self.assertIsNotNone(self.x.window())
        program.send("\n")
        self.x.wait_for_window(16)
        self.leave_driver(program)
        self.assertIn("after visit: screen=none gfx=no keyboard=no mouse=no timer=no",
                      program.stdout_text())

    def leave_driver(self, program):
        self.x.xdotool("keydown", "Escape")
        try:
            program.expect("done")
        finally:
            self.x.xdotool("keyup", "Escape")
        self.assertEqual(program.wait(), 0)

    def test_escape_held_as_the_editor_starts_ends_it_before_a_frame(self):
        # A frame would paint cell (0,0), which holds 5, with the starting
        # brush: empty.
        program = self.driver("escape_at_start")
        program.expect("ready")
        window = wait_for_visible_window(self.x)
        self.x.xdotool("windowfocus", window)
        wait_for_pointer_handover(self.x)
        self.x.xdotool("mousemove", *cell_centre(0, 0))
        wait_frames(3)
        self.x.xdotool("keydown", "Escape")
        self.x.xdotool("mousedown", 1)
        try:
            program.expect("area unchanged")
        finally:
            self.x.xdotool("mouseup", 1)
            self.x.xdotool("keyup", "Escape")
        out = self.lines(program)
        self.assertEqual(out[1], "held")
        self.assertEqual(out[3:5], ["cell 0 0: 5", "area unchanged: yes"])
        self.assertEqual(program.wait(), 0)

    def test_without_a_display_the_program_says_so_and_ends_with_status_1(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        program = self.start(env=env)
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "hall\n")
        self.assertEqual(program.wait(), 1)
        self.assertTrue(program.stdout_text().endswith(NEW_NAME + "Cannot set a graphics mode"),
                        program.stdout_text())
        self.assertNotIn("Shutting down", program.stderr_text())


if __name__ == "__main__":
    unittest.main()
