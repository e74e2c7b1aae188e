"""The review lines of docs/git.md, as they stand there, run with real git
and the build's areatool first on PATH: the configured difftool in
dir-diff mode and the CI recipe each write a page of what a branch
changed."""

import os
import subprocess
import unittest

import harness
from harness import area_bytes
from tool_support import ToolTest, git_env, git_md_lines

DEADLINE = 120


class ReviewGitTest(ToolTest):

    def shell(self, line, cwd):
        env = git_env(self.folder, PATH=os.path.abspath(harness.BUILD) + os.pathsep + os.environ["PATH"])
        env.pop("DISPLAY", None)
        done = subprocess.run(["sh", "-c", line], cwd=cwd, env=env, capture_output=True, text=True,
                              timeout=DEADLINE)
        return done.returncode, done.stderr

    def test_documented_difftool_and_ci_lines_write_the_page_of_a_branch(self):
        lines = git_md_lines("Reviewing a branch as a web page")
        self.assertEqual(len(lines), 4, lines)
        upstream, clone = self.path("upstream"), self.path("clone")
        self.write("upstream/levels/hall.ard", area_bytes({(2, 2): 1}))
        self.write("upstream/levels/gone.ard", area_bytes())
        for line in ["git init -q -b main", "git add .", "git commit -q -m base"]:
            self.assertEqual(self.shell(line, upstream), (0, ""), line)
        self.assertEqual(self.shell("git clone -q upstream clone", self.folder), (0, ""))
        self.write("clone/levels/hall.ard", area_bytes({(2, 2): 4}))
        self.write("clone/levels/new.ard", area_bytes())
        for line in ["git checkout -q -b feature", "git rm -q levels/gone.ard", "git add .",
                     "git commit -q -m change"]:
            self.assertEqual(self.shell(line, clone), (0, ""), line)

        # The difftool's sides hold only what changed, paths from the top of
        # the repository; the CI recipe's are the two levels folders whole.
        # git's dir-diff does not pass areatool's status on.
        for commands, status, picture in [(lines[:2], 0, "levels/hall.ard.png"), (lines[2:], 1, "hall.ard.png")]:
            with self.subTest(commands=commands):
                for line in commands:
                    want = status if line.startswith("areatool") else 0
                    self.assertEqual(self.shell(line, clone)[0], want, line)
                with open(os.path.join(clone, "review", "index.html")) as f:
                    self.assertIn("1 changed, 1 added, 1 removed, 0 unchanged", f.read())
                self.assertTrue(os.path.isfile(os.path.join(clone, "review", picture)), picture)

if __name__ == "__main__":
    unittest.main()
