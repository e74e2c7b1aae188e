"""What the failure drills share: a working folder seeded with area files
that must come through every drill byte for byte, the dialogue of one visit,
and the checks that a failure ended in one line and either the menu or
status 1."""

import os
import shutil
import tempfile
import time

import harness
from harness import CHOICE as MENU, LOAD_NAME, LOADED_AREA_DEPTH, NEW_AREA_DEPTH, NEW_NAME, SAVE, TIME

# Areas already on disk when a drill starts: a plain one, one longer than
# 420 bytes, and one whose stored name differs from its file name.
SEEDED_AREAS = {
    "hall.ard": harness.area_bytes(cells={(1, 2): 6, (3, 3): 3}, mark=(3, 3), time_allowed=50, name=b"hall"),
    "cave.ard": harness.area_bytes(cells={(0, 9): 1}, time_allowed=7, name=b"cave\0old") + b"trailing",
    "copy.ard": harness.area_bytes(cells={(5, 5): 2}, time_allowed=3, name=b"den"),
}


class DrillTest(harness.WindowTest):
    """A WindowTest whose folder holds SEEDED_AREAS beside graphics.dat."""

    def setUp(self):
        super().setUp()
        self.seed_areas(self.folder)

    def seed_areas(self, folder):
        for name, data in SEEDED_AREAS.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)

    def assert_areas_untouched(self, folder=None, extra=()):
        """Every seeded area file as it was, and nothing else in the folder
        but graphics.dat and the names in extra: no temporary file left."""
        folder = folder or self.folder
        self.assertEqual(sorted(os.listdir(folder)), sorted(["graphics.dat", *SEEDED_AREAS, *extra]))
        for name, data in SEEDED_AREAS.items():
            with open(os.path.join(folder, name), "rb") as f:
                self.assertEqual(f.read(), data, name + " changed")

    def one_line(self, program):
        """The program's one line on stderr, checked to be one."""
        lines = [line for line in program.stderr_text().splitlines() if line.strip()]
        self.assertEqual(len(lines), 1, lines)
        self.assertNotIn("Shutting down", program.stdout_text())
        return lines[0]

    def stderr_lines(self, program, at_least=0, timeout=10):
        """The program's non-empty lines on stderr, once there are at least
        at_least of them: stderr is read apart from stdout, so a line can
        lag behind the prompt that followed it."""
        deadline = time.monotonic() + timeout
        while True:
            lines = [line for line in program.stderr_text().splitlines() if line.strip()]
            if len(lines) >= at_least or time.monotonic() > deadline:
                return lines
            time.sleep(0.02)

    def visit_and_save(self, program, choice, name, depth, time_allowed="45", menu_seen=False):
        """One round: a new (choice 1) or loaded (choice 2) area, one cell
        painted, Escape, then yes and the allowed time. menu_seen: the
        caller has already waited for the menu."""
        if menu_seen:
            program.send("%d\n" % choice)
        else:
            program.answer(MENU, "%d\n" % choice)
        program.answer(NEW_NAME if choice == 1 else LOAD_NAME, name + "\n")
        self.x.wait_for_window(depth)
        self.x.paint("4", (8, 8))
        self.x.escape()
        program.answer(SAVE, "y\n")
        program.answer(TIME, time_allowed + "\n")

    def assert_back_at_menu_then_exit(self, program):
        program.answer(MENU, "3\n")
        self.assertEqual(program.wait(), 0)

    def private_copy_of_program(self):
        """areaedit and its folder copied where an unprivileged user can
        read them (the build may be in a folder only root may enter); for
        the sanitizer build, its suppressions file too. Returns the path of
        the copy and the environment to start it with."""
        folder = tempfile.mkdtemp(prefix="areaedit-drill-bin-")
        self.addCleanup(shutil.rmtree, folder, True)
        os.chmod(folder, 0o755)
        program = os.path.join(folder, "areaedit")
        shutil.copy(harness.AREAEDIT, program)
        os.chmod(program, 0o755)
        env = self.x.env()
        options = env.get("LSAN_OPTIONS", "")
        kept = []
        for option in filter(None, options.split(":")):
            key, _, value = option.partition("=")
            if key == "suppressions":
                copy = os.path.join(folder, "lsan.supp")
                shutil.copy(value, copy)
                os.chmod(copy, 0o644)
                option = "suppressions=" + copy
            kept.append(option)
        if kept:
            env["LSAN_OPTIONS"] = ":".join(kept)
        return program, env
