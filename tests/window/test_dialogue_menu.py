"""The main menu: its exact text, numbers read the way "%i" reads them, and
answers that choose nothing. No window opens in these runs."""

import unittest

import harness
from dialogue import LOAD_NAME, MENU, MENU_ANSWERED, stderr_lines


class MenuTest(harness.WindowTest):

    def test_answers_that_choose_nothing_show_the_menu_again_and_0x3_exits(self):
        program = self.start()
        # 010 is octal 8; the text after "abc" and after the too big number
        # must be dropped with it, or the 1 would start a new area.
        for answer in ["4", "0", "-1", "010", "abc 1", "2147483648 1"]:
            program.answer(MENU, answer + "\n")
        program.answer(MENU, "0x3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(program.stdout_text(), MENU_ANSWERED * 7)
        complaints = stderr_lines(program)
        self.assertEqual(len(complaints), 2, complaints)

    def test_02_chooses_load_and_a_missing_file_ends_with_status_1_and_no_output(self):
        program = self.start()
        program.answer(MENU, "02\n")
        program.answer(LOAD_NAME, "absent\n")
        self.assertEqual(program.wait(), 1)
        self.assertEqual(program.stdout_text(), MENU_ANSWERED + LOAD_NAME)
        self.assertEqual(stderr_lines(program), [])

    def test_end_of_input_at_the_menu_exits_with_status_0(self):
        program = self.start()
        program.expect(MENU)
        program.close_input()
        self.assertEqual(program.wait(), 0)
        self.assertEqual(program.stdout_text(), MENU_ANSWERED)
        self.assertEqual(stderr_lines(program), [])


if __name__ == "__main__":
    unittest.main()
