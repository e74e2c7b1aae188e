"""areatool new, set and edit as processes: the bytes they write, a bulk
set over files of which one is read-only, the refusals, each leaving every
file byte for byte as it was, and edit with a script for the editor."""

import os
import stat
import struct
import unittest

from harness import area_bytes
from tool_support import AREATOOL, EditorScriptTest, ToolTest, run


class FilesTest(ToolTest):

    def snapshot(self):
        """Each file's bytes and its inode and modification time, which a
        rewrite would change."""
        files = {}
        for name in sorted(os.listdir(self.folder)):
            info = os.stat(self.path(name))
            files[name] = (self.read(name), info.st_ino, info.st_mtime_ns)
        return files


class NewAndSetTest(FilesTest):

    def test_new_writes_a_fresh_programs_new_area_and_never_replaces_one(self):
        self.assertEqual(self.tool("new", "cave", "--time", "0x1e"), (0, "", ""))
        self.assertEqual(self.read("cave.ard"), area_bytes(time_allowed=30, name=b"cave"))
        self.assertEqual(self.tool("new", "hall")[0], 0)
        self.assertEqual(self.read("hall.ard"), area_bytes(name=b"hall"))
        before = self.snapshot()
        for args, status in [(["cave"], 1), (["a/b"], 2), (["eight888"], 2), (["a b"], 2),
                             (["--time", "1e", "x"], 2), ([], 2)]:
            with self.subTest(args=args):
                result = self.tool("new", *args)
                self.assertEqual((result[0], result[1], len(result[2].splitlines())), (status, "", 1), result)
                self.assertEqual(self.snapshot(), before)

    def test_set_applies_each_kind_of_change_in_order(self):
        cells = {(0, 0): 1, (9, 9): 4}
        every = {(c, r): -16 for c in range(10) for r in range(10)} | {(2, 7): 8, (1, 1): 3}
        # A change of only the name, or only of the last cell, is written too.
        for changes, want in [
                (["--fill", "4", "--replace", "4=-0x10", "--cell", "2,7=3", "--cell=2,7=8", "--mark", "9,0",
                  "--cell", "1,1=3", "--time", "010", "--name", "ab"],
                 area_bytes(every, mark=(1, 1), time_allowed=8, name=b"ab\0e\0old")),
                (["--name", "den"], area_bytes(cells, mark=(5, 5), name=b"den\0\0old")),
                (["--cell", "9,9=2"], area_bytes(cells | {(9, 9): 2}, mark=(5, 5), name=b"cave\0old"))]:
            with self.subTest(changes=changes):
                self.write("cave.ard", area_bytes(cells, mark=(5, 5), name=b"cave\0old"))
                self.assertEqual(self.tool("set", *changes, "cave.ard"), (0, "", ""))
                self.assertEqual(self.read("cave.ard"), want)

    def test_bulk_set_writes_what_it_can_and_leaves_the_rest_untouched(self):
        self.write("a.ard", area_bytes({(0, 0): 1, (3, 3): 1, (4, 4): 2}))
        self.write("b.ard", area_bytes({(0, 0): 1}))
        self.write("c.ard", area_bytes({(0, 0): 2}))  # holds no 1: not even rewritten
        self.write("long.ard", area_bytes({(0, 0): 1}) + b"tail")
        os.chmod(self.path("b.ard"), stat.S_IRUSR | stat.S_IRGRP)
        before = self.snapshot()
        status, out, err = self.tool("set", "--replace", "1=7", "a.ard", "b.ard", "gone.ard", "c.ard", "long.ard")
        self.assertEqual((status, out), (1, ""))
        # One line for each file it could not change, naming it.
        self.assertEqual([line.split(": ")[1].split()[-1] for line in err.splitlines()],
                         ["b.ard", "gone.ard", "long.ard"], err)
        self.assertEqual(self.read("a.ard"), area_bytes({(0, 0): 7, (3, 3): 7, (4, 4): 2}))
        after = self.snapshot()
        self.assertEqual({k: v for k, v in after.items() if k != "a.ard"},
                         {k: v for k, v in before.items() if k != "a.ard"})

    def test_malformed_changes_are_refused_before_any_file_is_touched(self):
        self.write("a.ard", area_bytes({(0, 0): 1}, name=b"a"))
        self.write("b.ard", area_bytes(name=b"b"))
        before = self.snapshot()
        for args in (["--fill", "2", "--cell", "10,0=1", "a.ard"], ["--mark", "0,-1", "a.ard"],
                     ["--cell", "1,1", "a.ard"], ["--fill", "x", "a.ard"], ["--time", "2147483648", "a.ard"],
                     ["--replace", "1", "a.ard"], ["--name", "a/b", "a.ard"], ["--name", "eight888", "a.ard"],
                     ["--frob", "1", "a.ard"], ["a.ard", "b.ard"], ["--fill", "1"]):
            with self.subTest(args=args):
                status, out, err = self.tool("set", *args)
                self.assertEqual((status, out, len(err.splitlines())), (2, "", 1), err)
                self.assertEqual(self.snapshot(), before)


class EditorTest(FilesTest, EditorScriptTest):
    """areatool edit with a script for the editor."""

    def edit(self, *steps, variable="VISUAL", others=None):
        """edit run with the script in variable, and the variables in others."""
        env = self.editor_env(*steps, variable=variable) | (others or {})
        return run([AREATOOL, "edit", "hall.ard"], self.folder, env)

    def test_an_odd_area_left_as_it_was_is_not_even_rewritten(self):
        odd = struct.pack("<3i", -2**31, 12, 2**31 - 1) + area_bytes({(0, 0): -2**31, (9, 9): 2**31 - 1})[12:412]
        self.write("hall.ard", odd + b"h\xe9\\l\0\x80\x01\xff")
        before = self.snapshot()
        self.assertEqual(self.edit("keep"), (0, "hall.ard: unchanged\n", ""))
        text = self.texts()[0]
        for line in ["name: h\\xe9\\\\l", "after the name: 80 01 ff", "mark: column -2147483648, row 12",
                     "time allowed: 2147483647", "row 0: -2147483648 . . . . . . . . .",
                     "row 9: . . . . . . . . . 2147483647"]:
            self.assertIn(line, text.splitlines())
        self.assertEqual(self.snapshot(), before)

    def test_a_change_is_saved_and_a_malformed_line_comes_back_until_it_reads(self):
        self.write("hall.ard", area_bytes(name=b"hall"))
        status, out, err = self.edit("row 2: . . . . . . . . . .=>row 2: . 3 x . . . . . . .",
                                     "row 2: . 3 x . . . . . . .=>row 2: . 3 0x1e . . . . . . .",
                                     variable="EDITOR")
        self.assertEqual((status, out, err), (0, "", ""))
        first, second = self.texts()
        lines = second.splitlines()
        self.assertEqual(lines[0], "# error: line %d: column 2 of row 2 should be '.' or a number that"
                         " fits 32 bits, not 'x'" % (lines.index("row 2: . 3 x . . . . . . .") + 1))
        self.assertEqual(lines[1:], first.replace("row 2: . . . .", "row 2: . 3 x .").splitlines())
        self.assertEqual(self.read("hall.ard"), area_bytes({(1, 2): 3, (2, 2): 30}))  # the mark stays

    def test_each_way_an_edit_ends_is_told_and_only_a_change_is_saved(self):
        start = area_bytes({(4, 4): 2}, name=b"hall")
        # A change of only the time, the mark or the name is a change too;
        # an empty VISUAL counts as none, and EDITOR runs instead.
        for steps, others, status, out, err, want in [
                (["empty"], {}, 0, "hall.ard: the text was emptied; the file is left as it was\n", "", None),
                (["fail"], {}, 1, "", "failed with exit status 3; the file is left as it was", None),
                (["mark: column 0, row 0=>mark: 1", "keep"], {}, 1, "",
                 "hall.ard: the text still does not read as an area; the file is left as it was", None),
                (["time allowed: 0=>time allowed: 5"], {}, 0, "", "",
                 area_bytes({(4, 4): 2}, time_allowed=5, name=b"hall")),
                (["mark: column 0, row 0=>mark: column 9, row 0"], {}, 0, "", "",
                 area_bytes({(4, 4): 2}, mark=(9, 0), name=b"hall")),
                (["name: hall=>name: cave"], {"VISUAL": ""}, 0, "", "", area_bytes({(4, 4): 2}, name=b"cave"))]:
            with self.subTest(steps=steps, others=others):
                self.write("hall.ard", start)
                before = self.snapshot()
                result = self.edit(*steps, variable="EDITOR" if others else "VISUAL", others=others)
                self.assertEqual(result[:2], (status, out))
                self.assertEqual(len(result[2].splitlines()), 1 if err else 0, result)
                self.assertIn(err, result[2])
                self.texts()
                if want is None:
                    self.assertEqual(self.snapshot(), before)
                else:
                    self.assertEqual(self.read("hall.ard"), want)


if __name__ == "__main__":
    unittest.main()
