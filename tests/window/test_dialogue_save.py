"""The save question after a visit, the allowed time in each form "%i"
reads, and saves that fail without costing the menu or the old file."""

import os
import unittest

import harness
from dialogue import (LOAD_NAME, LOADED_AREA_DEPTH, MENU, MENU_ANSWERED, NEW_AREA_DEPTH,
                      NEW_NAME, SAVE, TIME, files_in, stderr_lines, visit)


class SaveTest(harness.WindowTest):

    def make_area(self, program, name, save_answer):
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, name + "\n")
        visit(self, NEW_AREA_DEPTH)
        program.answer(SAVE, save_answer)

    def test_only_y_saves_and_the_time_is_read_as_a_number_in_any_form(self):
        program = self.start()
        # The first character answers; the rest of its line is dropped.
        unsaved = [("no", "n\n"), ("empty", "\n"), ("other", "x\n"), ("word", "no\n")]
        for name, answer in unsaved:
            self.make_area(program, name, answer)
        times = [("octal", "010", 8), ("hex", "0x1E", 30), ("minus", "-5", -5),
                 ("retry", "abc\n42", 42)]
        for i, (name, typed, _) in enumerate(times):
            self.make_area(program, name, ["Y\n", "yes\n", "y\n", "y\n"][i])
            program.answer(TIME, typed + "\n")
            if name == "retry":
                program.expect(TIME)  # asked again after the text
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)

        self.assertEqual(files_in(self), sorted(name + ".ard" for name, _, _ in times))
        # Each name overwrites only its own bytes and terminator of the field.
        field = bytearray(8)
        for name, _ in unsaved:
            field[:len(name) + 1] = name.encode() + b"\0"
        for name, _, stored in times:
            field[:len(name) + 1] = name.encode() + b"\0"
            self.assertEqual(harness.parse_area(self.read(name + ".ard")),
                             ((0, 0), stored, {}, bytes(field)))
        # Nothing beyond the prompts: no banner, no word that a save happened.
        no_save = MENU_ANSWERED + NEW_NAME + SAVE
        saved = no_save + TIME
        self.assertEqual(program.stdout_text(),
                         no_save * 4 + saved * 3 + saved + TIME + MENU_ANSWERED)
        complaints = stderr_lines(program)
        self.assertEqual(len(complaints), 1, complaints)

    def test_save_onto_a_directory_is_reported_and_the_menu_comes_back(self):
        os.mkdir(self.path("hall.ard"))
        self.write(os.path.join("hall.ard", "inside"), b"kept")
        program = self.start()
        self.make_area(program, "hall", "y\n")
        program.answer(TIME, "5\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(len(stderr_lines(program)), 1, stderr_lines(program))
        self.assertEqual(os.listdir(self.path("hall.ard")), ["inside"])
        self.assertEqual(files_in(self), ["hall.ard"])  # no temporary file left

    def test_save_that_cannot_write_keeps_the_old_file_byte_for_byte(self):
        old = harness.area_bytes(cells={(1, 2): 6}, mark=(1, 2), time_allowed=50, name=b"hall")
        self.write("hall.ard", old)
        # No file may grow past 0 bytes; with SIGXFSZ ignored a write then
        # fails the way it does on a full disk.
        program = self.start(["bash", "-c", 'trap "" XFSZ; ulimit -f 0; exec "$0"', harness.AREAEDIT])
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "hall\n")
        visit(self, LOADED_AREA_DEPTH, [("4", [(0, 0)])])
        program.answer(SAVE, "y\n")
        program.answer(TIME, "99\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(len(stderr_lines(program)), 1, stderr_lines(program))
        self.assertEqual(self.read("hall.ard"), old)
        self.assertEqual(files_in(self), ["hall.ard"])


if __name__ == "__main__":
    unittest.main()
