"""The editor as a user starts it. Installed (into a DESTDIR) and run in an
empty folder, it paints with the installed tile set, prints nothing but
the dialogue, and leaves no file but the area; a tile set beside the
program comes before the installed one, and one in the working folder
before both, even one it cannot use. Nothing of the sound library reaches
the console while the program's own lines do. ./run.sh leaves a tile set
already in the areas folder as it is."""

import os
import shutil
import tempfile
import unittest

import harness
from dialogue import LOAD_NAME, MENU_ANSWERED, NEW_NAME, SAVE, TIME
from editor_support import MENU, EditorTest
from install_support import install_into

RUN_SCRIPT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "run.sh"))
SETUP_DEADLINE = 300  # seconds for run.sh's own set-up and build before the menu


def raw_stderr(program):
    """stderr as the user's console gets it, sound library lines and all."""
    with program.lock:
        return bytes(program.err).decode(errors="replace")


def make_shifted_tile_set(path, shift):
    """A tile set whose entry v is the picture of tile v + shift (mod 9), so
    the screen tells which tile set the editor read."""
    harness.make_tile_set(path, [(v + shift) % 9 for v in range(9)])


class InstalledEditorTest(EditorTest):

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="areaedit-installed-test-")
        cls.prefix = install_into(os.path.join(cls.scratch, "dest"))
        cls.program = os.path.join(cls.prefix, "bin", "areaedit")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, True)

    def setUp(self):
        super().setUp()
        os.remove(self.path("graphics.dat"))
        beside = os.path.join(self.prefix, "bin", "graphics.dat")
        self.addCleanup(lambda: os.path.exists(beside) and os.remove(beside))

    def start(self, argv=None, env=None):
        return super().start(argv or [self.program], env)

    def test_in_an_empty_folder_it_paints_with_the_installed_tile_set_and_leaves_only_the_area(self):
        program = self.open_new()
        self.paint(["4"], 2, 3, 4)  # holds the button until the tile's picture shows
        self.paint(["7"], 8, 8, 7)
        _, time_allowed, cells, _ = self.leave_and_save(program, time_allowed=60)
        self.assertEqual((time_allowed, cells), (60, {(2, 3): 4, (8, 8): 7}))
        self.assertEqual(os.listdir(self.folder), ["hall.ard"])
        self.assertEqual(program.stdout_text(), MENU_ANSWERED + NEW_NAME + SAVE + TIME + MENU_ANSWERED)
        self.assertEqual(raw_stderr(program), "")

    def test_working_folder_then_beside_the_program_then_the_installed_tile_set(self):
        self.write("hall.ard", harness.area_bytes({(0, 0): 0}))
        places = [(None, 0),
                  (os.path.join(self.prefix, "bin", "graphics.dat"), 1),
                  (self.path("graphics.dat"), 2)]
        for path, shift in places:
            with self.subTest(shift=shift):
                if path:
                    make_shifted_tile_set(path, shift)
                program = self.load(self.start())
                self.board_until({(0, 0): shift}, "the board drawn with tile set %d" % shift)
                self.leave(program)
                program.send("n\n")
                program.answer(MENU, "3\n")
                self.assertEqual(program.wait(), 0)
                self.assertEqual(raw_stderr(program), "")

        # The working folder's wins even when it cannot be used, and with the
        # sound library quiet the program's own line still reaches the user.
        self.write("graphics.dat", b"not a tile set")
        program = self.start()
        program.answer(MENU, "2\n")
        program.answer(LOAD_NAME, "hall\n")
        self.assertEqual(program.wait(), 1)
        self.assertEqual(raw_stderr(program),
                         "areaedit: graphics.dat: not a datafile of the graphics library\n")
        self.assertEqual(sorted(os.listdir(self.folder)), ["graphics.dat", "hall.ard"])


class RunScriptTest(harness.WindowTest):

    def test_run_script_leaves_the_tile_set_in_the_areas_folder_as_it_is(self):
        make_shifted_tile_set(self.path("graphics.dat"), 4)
        before = self.read("graphics.dat")
        self.write("hall.ard", harness.area_bytes())
        env = dict(self.x.env(), AREAS=self.folder, AREAEDIT_BUILD_DIR=harness.BUILD)
        program = harness.Program([RUN_SCRIPT], self.folder, env, deadline=SETUP_DEADLINE)
        self.addCleanup(program.finish)
        program.expect(MENU, timeout=SETUP_DEADLINE)
        program.send("3\n")
        self.assertEqual(program.wait(), 0, program.stderr_text())
        self.assertEqual(self.read("graphics.dat"), before)
        self.assertEqual(sorted(os.listdir(self.folder)), ["graphics.dat", "hall.ard"])


if __name__ == "__main__":
    unittest.main()
