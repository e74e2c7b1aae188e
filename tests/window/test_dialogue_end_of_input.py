"""Input that ends at a prompt after the menu: a one-line message, status
1, and no area file written."""

import unittest

import harness
from dialogue import (LOAD_NAME, MENU, MENU_ANSWERED, NEW_AREA_DEPTH, NEW_NAME, SAVE, TIME,
                      files_in, stderr_lines, visit)


class EndOfInputTest(harness.WindowTest):

    def assert_ended_without_saving(self, program, stdout):
        self.assertEqual(program.wait(), 1)
        self.assertEqual(program.stdout_text(), stdout)
        self.assertEqual(len(stderr_lines(program)), 1, stderr_lines(program))
        self.assertEqual(files_in(self), [])

    def test_end_of_input_at_either_name_prompt_ends_with_status_1(self):
        for choice, question in [("1", NEW_NAME), ("2", LOAD_NAME)]:
            with self.subTest(question=question):
                program = self.start()
                program.answer(MENU, choice + "\n")
                program.expect(question)
                program.close_input()
                self.assert_ended_without_saving(program, MENU_ANSWERED + question)

    def test_end_of_input_at_the_save_question_saves_nothing(self):
        program = self.start()
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "hall\n")
        visit(self, NEW_AREA_DEPTH, [("3", [(2, 7)])])
        program.expect(SAVE)
        program.close_input()
        self.assert_ended_without_saving(program, MENU_ANSWERED + NEW_NAME + SAVE)

    def test_end_of_input_at_the_allowed_time_saves_nothing(self):
        program = self.start()
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "hall\n")
        visit(self, NEW_AREA_DEPTH, [("3", [(2, 7)])])
        program.answer(SAVE, "y\n")
        program.expect(TIME)
        program.close_input()
        self.assert_ended_without_saving(program, MENU_ANSWERED + NEW_NAME + SAVE + TIME)


if __name__ == "__main__":
    unittest.main()
