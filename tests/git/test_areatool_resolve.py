"""areatool resolve, git's mergetool for areas, with real git, the lines of
docs/git.md as they stand, and a script for the editor: a conflict settled
in the text and marked resolved, a text that still holds both sides sent
back, the ways out that leave MERGED and the conflict as they were, and
--take for scripts."""

import os
import stat
import unittest

import harness
from harness import area_bytes
from tool_support import AREATOOL, EditorScriptTest, git_env, git_md_lines, run

# One cell changed two ways, and another cell one way on each side.
BASE = area_bytes({(2, 2): 0}, time_allowed=90)
OURS = area_bytes({(2, 2): 1, (0, 0): 5}, time_allowed=90)
THEIRS = area_bytes({(2, 2): 6, (9, 9): 8}, time_allowed=90)
CONFLICT = "row 2: . . 1|6 . . . . . . ."


def merged(cell, time_allowed=90):
    return area_bytes({(2, 2): cell, (0, 0): 5, (9, 9): 8}, time_allowed=time_allowed)


def settle(cell):
    """The editor script's step that writes cell in place of the conflict."""
    return CONFLICT + "=>" + CONFLICT.replace("1|6", cell)


class ResolveTest(EditorScriptTest):
    FOLDER_TILE_SET = None

    def shell(self, line, *steps):
        """line run by the shell in the repository as a user would run it,
        the build's areatool first on PATH and the editor script doing
        steps; a return answers git's prompt. Returns (status, output)."""
        env = git_env(self.folder, PATH=os.path.dirname(AREATOOL) + os.pathsep + os.environ["PATH"])
        if steps:
            env = self.editor_env(*steps, env=env)
        program = harness.Program(["sh", "-c", line], self.path("repo"), env)
        try:
            try:
                program.send("\n")
                program.close_input()
            except BrokenPipeError:  # a line that ended before it read anything
                pass
            status = program.wait()
            return status, program.stdout_text() + program.stderr_text()
        finally:
            program.finish()

    def stopped_merge(self):
        """A repository whose merge of the two sides has stopped at the
        conflict, with the merge driver and the mergetool of docs/git.md."""
        lines = git_md_lines("Settling conflicts in your editor")
        self.assertEqual(len(lines), 3, lines)
        self.write("repo/.gitattributes", b"*.ard merge=area\n")
        self.write("repo/hall.ard", BASE)
        for line in ["git init -q -b main", "git config merge.area.driver 'areatool merge %O %A %B %P'",
                     *lines[:2], "git add .", "git commit -q -m base", "git checkout -q -b other"]:
            self.assertEqual(self.shell(line), (0, ""), line)
        self.write("repo/hall.ard", THEIRS)
        self.assertEqual(self.shell("git commit -q -am theirs && git checkout -q main"), (0, ""))
        self.write("repo/hall.ard", OURS)
        self.assertEqual(self.shell("git commit -q -am ours")[0], 0)
        self.assertEqual(self.shell("git merge -q --no-edit other")[0], 1)
        self.assertEqual(self.read("repo/hall.ard"), merged(1))
        return lines[2]

    def status(self):
        return self.shell("git status --porcelain --untracked-files=no")[1]

    def sides(self, base=BASE, ours=OURS, theirs=THEIRS):
        """The four files as git mergetool hands them over."""
        for name, data in [("base", base), ("local", ours), ("remote", theirs), ("hall.ard", ours)]:
            self.write(name, data)

    def resolve(self, *steps, take=()):
        return run([AREATOOL, "resolve", *take, "base", "local", "remote", "hall.ard"], self.folder, self.editor_env(*steps))

    def test_git_mergetool_settles_the_conflict_in_the_editor_and_git_marks_it_resolved(self):
        mergetool = self.stopped_merge()
        self.assertEqual(self.status(), "UU hall.ard\n")
        status, out = self.shell(mergetool, settle("6"))
        self.assertEqual(status, 0, out)
        self.assertEqual(self.read("repo/hall.ard"), merged(6))
        self.assertEqual(self.status(), "M  hall.ard\n")
        lines = self.texts()[0].splitlines()
        self.assertIn("# conflict: cell at column 2, row 2: base 0, ours 1, theirs 6", lines)
        self.assertLess(lines.index("# conflict: cell at column 2, row 2: base 0, ours 1, theirs 6"),
                        lines.index(CONFLICT))

    def test_a_text_still_holding_both_sides_comes_back_with_its_error_until_settled(self):
        self.sides(ours=OURS[:8] + b"\x3c\0\0\0" + OURS[12:], theirs=THEIRS[:8] + b"\x78\0\0\0" + THEIRS[12:])
        status, out, err = self.resolve("time allowed: 60|120=>time allowed: 75", settle("1"))
        self.assertEqual((status, out, err), (0, "", ""))
        first, second = self.texts()
        self.assertIn("time allowed: 60|120", first.splitlines())
        lines = second.splitlines()
        self.assertEqual(lines[0], "# error: line %d: the cell at column 2, row 2 still holds both sides, '1|6':"
                         " keep one, or write another value" % (lines.index(CONFLICT) + 1))
        self.assertEqual(lines[1:], first.replace("60|120", "75").splitlines())
        self.assertEqual(self.read("hall.ard"), merged(1, time_allowed=75))

    def test_an_emptied_text_a_failing_editor_or_an_unchanged_one_leave_merged_and_the_conflict(self):
        self.sides()
        before = os.stat(self.path("hall.ard"))
        for steps, why in [(["empty"], "the text was emptied"), (["fail"], "failed with exit status 3"),
                           (["keep"], "the text still does not read as an area")]:
            with self.subTest(steps=steps):
                status, out, err = self.resolve(*steps)
                self.assertEqual((status, out, len(err.splitlines())), (1, "", 1), err)
                self.assertIn("hall.ard", err)
                self.assertIn(why, err)
                self.assertEqual(len(self.texts()), 1)  # a text handed back as it came is not offered again
                self.assertEqual(self.read("hall.ard"), OURS)
                self.assertEqual(os.stat(self.path("hall.ard")).st_mtime_ns, before.st_mtime_ns)
        mergetool = self.stopped_merge()
        self.assertNotEqual(self.shell(mergetool, "empty")[0], 0)
        self.assertEqual(len(self.texts()), 1)  # areatool ran, and its editor once
        self.assertEqual(self.read("repo/hall.ard"), merged(1))
        self.assertEqual(self.status(), "UU hall.ard\n")

    def test_take_settles_every_conflict_for_one_side_without_the_editor(self):
        # An empty BASE, as git gives for a file added on both sides: every
        # value that differs is a conflict, so theirs is taken whole.
        for take, base, want in [("ours", BASE, merged(1)), ("theirs", BASE, merged(6)), ("theirs", b"", THEIRS)]:
            with self.subTest(take=take, base=base[:1]):
                self.sides(base=base)
                self.assertEqual(self.resolve("fail", take=["--take", take]), (0, "", ""))
                self.assertEqual(self.read("hall.ard"), want)
        # Nothing changed two ways: written at once, without the editor.
        self.sides(ours=BASE)
        self.assertEqual(self.resolve("fail"), (0, "", ""))
        self.assertEqual(self.read("hall.ard"), THEIRS)
        # What cannot be merged or written: one line, MERGED as it was.
        for name, data, take, status in [("remote", THEIRS[:100], "theirs", 1), ("local", OURS + b"x", "theirs", 1),
                                         ("base", BASE, "both", 2), ("hall.ard", OURS, "theirs", 1)]:
            with self.subTest(name=name, take=take):
                self.sides()
                self.write(name, data)
                if name == "hall.ard":
                    os.chmod(self.path(name), stat.S_IRUSR)
                result = self.resolve("fail", take=["--take", take])
                self.assertEqual((result[0], result[1], len(result[2].splitlines())), (status, "", 1), result)
                self.assertEqual(self.read("hall.ard"), OURS)
        self.assertFalse(os.path.exists(self.log))

if __name__ == "__main__":
    unittest.main()
