"""Names at the two name prompts: which are refused and asked for again,
never cut short, and which file a typed name loads."""

import unittest

import harness
from dialogue import (LOAD_NAME, LOADED_AREA_DEPTH, MENU, MENU_ANSWERED, NEW_AREA_DEPTH,
                      NEW_NAME, SAVE, TIME, files_in, samples_match, stderr_lines, visit)


class NamesTest(harness.WindowTest):

    def test_new_name_too_long_or_with_a_separator_is_asked_again_and_7_chars_pass(self):
        program = self.start()
        program.answer(MENU, "1\n")
        refused = ["longname", "a/b", "a\\b"]
        for name in refused:
            program.answer(NEW_NAME, name + "\n")
        program.answer(NEW_NAME, "seven77\n")
        visit(self, NEW_AREA_DEPTH)
        program.answer(SAVE, "y\n")
        program.answer(TIME, "1\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(files_in(self), ["seven77.ard"])  # nothing saved under a shortened name
        self.assertEqual(harness.parse_area(self.read("seven77.ard"))[3], b"seven77\0")
        self.assertEqual(program.stdout_text(), MENU_ANSWERED + NEW_NAME * (len(refused) + 1)
                         + SAVE + TIME + MENU_ANSWERED)
        complaints = stderr_lines(program)
        self.assertEqual(len(complaints), len(refused), complaints)

    def test_load_name_over_7_chars_is_asked_again_and_ard_is_always_appended(self):
        self.write("abc.ard", harness.area_bytes(name=b"wrong"))
        self.write("abc.ard.ard", harness.area_bytes(cells={(0, 0): 2}, name=b"right"))
        program = self.start()
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "abcdefgh\n")
        program.answer(LOAD_NAME, "abc.ard\n")
        seen = visit(self, LOADED_AREA_DEPTH, look_at=[(0, 0), (1, 0)])
        self.assertFalse(samples_match(seen[(0, 0)], seen[(1, 0)]), "cell (0, 0) shows no tile")
        program.answer(SAVE, "y\n")
        program.answer(TIME, "2\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(len(stderr_lines(program)), 1, stderr_lines(program))
        self.assertEqual(harness.parse_area(self.read("right.ard")),
                         ((0, 0), 2, {(0, 0): 2}, b"right\0\0\0"))
        self.assertEqual(program.stdout_text(), MENU_ANSWERED + LOAD_NAME * 2
                         + SAVE + TIME + MENU_ANSWERED)

    def test_load_name_holding_a_zero_byte_is_refused_not_cut_short(self):
        # A cut name would open the file "abc", which has no extension.
        self.write("abc", harness.area_bytes(name=b"abc"))
        program = self.start()
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "abc\0\n")
        program.answer(LOAD_NAME, "absent\n")
        self.assertEqual(program.wait(), 1)
        self.assertEqual(program.stdout_text(), MENU_ANSWERED + LOAD_NAME * 2)
        self.assertEqual(len(stderr_lines(program)), 1, stderr_lines(program))


if __name__ == "__main__":
    unittest.main()
