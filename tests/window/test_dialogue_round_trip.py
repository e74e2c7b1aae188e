"""An area made, painted and saved, then loaded again in the same run; and
what a new area takes over from the area before it."""

import unittest

import harness
from dialogue import (LOAD_NAME, LOADED_AREA_DEPTH, MENU, MENU_ANSWERED, NEW_AREA_DEPTH,
                      NEW_NAME, SAVE, TIME, all_black, files_in, samples_match, stderr_lines,
                      visit)

PAINTED = {(2, 7): 3, (0, 0): 5, (9, 9): 8, (4, 2): 1}
UNPAINTED = (6, 4)


class RoundTripTest(harness.WindowTest):

    def test_painted_area_is_saved_and_loads_back_onto_the_same_board(self):
        program = self.start()
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "hall\n")
        painting = [(str(value), [cell]) for cell, value in PAINTED.items()]
        first = visit(self, NEW_AREA_DEPTH, painting, look_at=[*PAINTED, UNPAINTED])
        program.answer(SAVE, "y\n")
        program.answer(TIME, "120\n")

        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "hall\n")
        second = visit(self, LOADED_AREA_DEPTH, look_at=[*PAINTED, UNPAINTED])
        program.answer(SAVE, "n\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)

        mark, time_allowed, cells, name = harness.parse_area(self.read("hall.ard"))
        self.assertEqual((mark, time_allowed, cells, name), ((2, 7), 120, PAINTED, b"hall\0\0\0\0"))
        self.assertEqual(files_in(self), ["hall.ard"])

        # The tiles must tell apart on screen, or the comparison proves nothing.
        self.assertFalse(samples_match(first[(2, 7)], first[(0, 0)]))
        self.assertFalse(samples_match(first[(9, 9)], first[(4, 2)]))
        for cell in PAINTED:
            self.assertFalse(all_black(first[cell]), cell)
            self.assertTrue(samples_match(first[cell], second[cell]), cell)
        self.assertTrue(all_black(first[UNPAINTED]) and all_black(second[UNPAINTED]))

        self.assertEqual(program.stdout_text(),
                         MENU_ANSWERED + NEW_NAME + SAVE + TIME
                         + MENU_ANSWERED + LOAD_NAME + SAVE
                         + MENU_ANSWERED)
        self.assertEqual(stderr_lines(program), [])

    def test_loaded_area_is_saved_under_the_name_stored_in_it(self):
        typed = harness.area_bytes(cells={(1, 1): 2}, mark=(5, 5), time_allowed=7, name=b"stored")
        self.write("typed.ard", typed)
        program = self.start()
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "typed\n")
        visit(self, LOADED_AREA_DEPTH)
        program.answer(SAVE, "Y\n")
        program.answer(TIME, "9\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(files_in(self), ["stored.ard", "typed.ard"])
        self.assertEqual(self.read("typed.ard"), typed)
        self.assertEqual(harness.parse_area(self.read("stored.ard")),
                         ((5, 5), 9, {(1, 1): 2}, b"stored\0\0"))

    def test_new_area_keeps_the_mark_and_the_name_bytes_after_its_terminator(self):
        self.write("before.ard", harness.area_bytes(cells={(3, 3): 4}, mark=(4, 5),
                                                         time_allowed=77, name=b"abcdefg\0"))
        program = self.start()
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "before\n")
        visit(self, LOADED_AREA_DEPTH)
        program.answer(SAVE, "n\n")
        program.answer(MENU, "1\n")
        program.answer(NEW_NAME, "xy\n")
        # The loaded cell must be gone from the board of the new area.
        seen = visit(self, NEW_AREA_DEPTH, look_at=[(3, 3)])
        self.assertTrue(all_black(seen[(3, 3)]))
        program.answer(SAVE, "y\n")
        program.answer(TIME, "9\n")
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)
        self.assertEqual(harness.parse_area(self.read("xy.ard")),
                         ((4, 5), 9, {}, b"xy\0defg\0"))
        self.assertEqual(files_in(self), ["before.ard", "xy.ard"])


if __name__ == "__main__":
    unittest.main()
