"""areatool merge as git's merge driver for areas, with real git: branches
that changed different cells merge cleanly, a cell changed two ways
conflicts while every other change is still merged, and files that are
not areas are refused with OURS untouched."""

import subprocess
import unittest

import harness
from harness import area_bytes, parse_area
from tool_support import AREATOOL, git_env, run

GIT_DEADLINE = 60


class MergeTest(harness.FolderTest):
    FOLDER_TILE_SET = None

    def git(self, *args, check=True):
        done = subprocess.run(["git", *args], cwd=self.folder, env=git_env(self.folder), capture_output=True,
                              text=True, timeout=GIT_DEADLINE)
        if check:
            self.assertEqual(done.returncode, 0, done.stderr)
        return done

    def branches(self, base, ours, theirs):
        """A repository with the merge driver set up, hall.ard as base on
        main, changed to ours on main and to theirs on branch other; then
        git merge other on main. Returns git's result."""
        self.git("init", "-q", "-b", "main")
        self.git("config", "merge.area.driver", AREATOOL + " merge %O %A %B %P")
        self.write(".gitattributes", b"*.ard merge=area\n")
        self.write("hall.ard", base)
        self.git("add", ".")
        self.git("commit", "-q", "-m", "base")
        self.git("checkout", "-q", "-b", "other")
        self.write("hall.ard", theirs)
        self.git("commit", "-q", "-am", "theirs")
        self.git("checkout", "-q", "main")
        self.write("hall.ard", ours)
        self.git("commit", "-q", "-am", "ours")
        return self.git("merge", "-q", "--no-edit", "other", check=False)

    def test_branches_that_changed_different_things_merge_cleanly(self):
        base = {(0, 0): 1, (4, 4): 2}
        ours = base | {(1, 1): 2, (5, 5): 7}
        theirs = base | {(8, 8): 4, (5, 5): 7, (3, 3): 3}
        del theirs[(0, 0)]
        merge = self.branches(area_bytes(base, time_allowed=90),
                              area_bytes(ours, time_allowed=120),
                              area_bytes(theirs, mark=(3, 3), time_allowed=90))
        self.assertEqual(merge.returncode, 0, merge.stdout + merge.stderr)
        want = {(1, 1): 2, (4, 4): 2, (5, 5): 7, (8, 8): 4, (3, 3): 3}
        self.assertEqual(self.read("hall.ard"), area_bytes(want, mark=(3, 3), time_allowed=120))
        self.assertEqual(self.git("status", "--porcelain").stdout, "")

    def test_a_cell_changed_two_ways_conflicts_and_the_rest_still_merges(self):
        base = area_bytes({(2, 2): 0}, time_allowed=90)
        ours = area_bytes({(2, 2): 1, (0, 0): 5}, time_allowed=90)
        theirs = area_bytes({(2, 2): 6, (9, 9): 8}, time_allowed=60)
        merge = self.branches(base, ours, theirs)
        self.assertNotEqual(merge.returncode, 0)
        self.assertIn("hall.ard: cell at column 2, row 2 changed two ways: base 0; ours 1; theirs 6",
                      merge.stdout + merge.stderr)
        self.assertIn("UU hall.ard", self.git("status", "--porcelain").stdout)
        mark, time_allowed, cells, _ = parse_area(self.read("hall.ard"))
        self.assertEqual((time_allowed, cells), (60, {(2, 2): 1, (0, 0): 5, (9, 9): 8}))

    def test_files_that_are_not_areas_are_refused_and_ours_is_untouched(self):
        area = area_bytes({(1, 1): 1})
        self.write("base", area)
        self.write("ours", area_bytes({(2, 2): 2}))
        for theirs in (area[:100], area + b"x"):
            self.write("theirs", theirs)
            status, out, err = run([AREATOOL, "merge", "base", "ours", "theirs"], self.folder)
            self.assertEqual((status, out), (1, ""))
            self.assertEqual(len(err.splitlines()), 1, err)
            self.assertEqual(self.read("ours"), area_bytes({(2, 2): 2}))
        # git gives an empty BASE when both sides added the file: only what
        # they agree on merges, and the name and the bytes after it conflict.
        self.write("base", b"")
        self.write("theirs", area_bytes({(2, 2): 2}, name=b"hall\0ab"))
        status, out, _ = run([AREATOOL, "merge", "base", "ours", "theirs", "hall.ard"], self.folder)
        self.assertEqual(status, 1)
        self.assertEqual(out, 'hall.ard: name changed two ways: base none; ours "hall"; '
                              'theirs "hall\\x00ab"\n')


if __name__ == "__main__":
    unittest.main()
