"""The commit hooks that stop a broken area, in real git repositories: the
pre-commit framework with the team's lines of docs/git.md and this
project's .pre-commit-hooks.yaml, and the plain hook of hooks/, which
checks what is staged, not the working tree. Both run the areatool of the
build, put first on PATH."""

import os
import re
import shutil
import unittest

import harness
from harness import area_bytes
from install_support import run
from tool_support import AREATOOL, git_env

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GOOD = area_bytes({(2, 2): 3}, mark=(2, 2), name=b"cave")
BROKEN = area_bytes({(3, 4): 42}, name=b"cave")  # a value without a tile


class CommitHookTest(harness.FolderTest):
    FOLDER_TILE_SET = None

    def setUp(self):
        super().setUp()
        self.env = git_env(self.folder, PATH=os.path.dirname(AREATOOL) + os.pathsep + os.environ["PATH"],
                           PRE_COMMIT_HOME=self.path("pre-commit-cache"))
        self.env.pop("DISPLAY", None)

    def run_in(self, folder, *argv):
        """(status, stdout and stderr together) of a program run in folder."""
        status, out, err = run(*argv, cwd=os.path.join(self.folder, folder), env=self.env)
        return status, out + err

    def git(self, folder, *args):
        status, out = self.run_in(folder, "git", *args)
        self.assertEqual(status, 0, out)
        return out

    def new_repository(self, name):
        os.mkdir(os.path.join(self.folder, name))
        self.git(name, "init", "-q", "-b", "main")

    def commit_area(self, data, path="areas/cave.ard"):
        """Stages data at path in the repository "team" and commits it."""
        self.write("team/" + path, data)
        self.git("team", "add", path)
        return self.run_in("team", "git", "commit", "-q", "-m", "an area")

    def check_line(self, data, path):
        """What areatool check itself says of data at path."""
        self.write("alone/" + path, data)
        return self.run_in("alone", AREATOOL, "check", path)[1].strip()

    def test_pre_commit_refuses_a_broken_area_with_areatool_line_and_takes_a_good_one(self):
        # The hooks' repository is a local one holding this project's
        # definition, so that nothing is fetched from the network.
        self.new_repository("hooks")
        shutil.copy(os.path.join(TOP, ".pre-commit-hooks.yaml"), os.path.join(self.folder, "hooks"))
        self.git("hooks", "add", ".")
        self.git("hooks", "commit", "-q", "-m", "hooks")
        rev = self.git("hooks", "rev-parse", "HEAD").strip()
        with open(os.path.join(TOP, "docs", "git.md")) as f:
            config = re.search(r"```yaml\n(.*?)```", f.read(), re.S).group(1)
        config = re.sub(r"repo: <.*>", "repo: " + os.path.join(self.folder, "hooks"), config)
        config = re.sub(r"rev: <.*>", "rev: " + rev, config)
        self.new_repository("team")
        self.write("team/.pre-commit-config.yaml", config.encode())
        self.git("team", "add", ".pre-commit-config.yaml")
        self.git("team", "commit", "-q", "-m", "hooks")
        status, out = self.run_in("team", "pre-commit", "install")
        self.assertEqual(status, 0, out)

        status, out = self.commit_area(BROKEN)
        self.assertEqual(status, 1, out)
        self.assertIn("\n" + self.check_line(BROKEN, "areas/cave.ard") + "\n", out)
        status, out = self.commit_area(GOOD)
        self.assertEqual(status, 0, out)
        self.assertEqual(self.git("team", "rev-list", "--count", "HEAD").strip(), "2")

    def test_plain_hook_checks_the_staged_area_not_the_working_tree(self):
        self.new_repository("team")
        shutil.copy(os.path.join(TOP, "hooks", "pre-commit"),
                    os.path.join(self.folder, "team", ".git", "hooks", "pre-commit"))
        self.assertEqual(self.commit_area(GOOD, "hall.ard")[0], 0)
        self.write("team/areas/cave.ard", BROKEN)
        self.git("team", "add", "areas/cave.ard")
        self.write("team/areas/cave.ard", GOOD)  # mended, but not staged
        status, out = self.run_in("team", "git", "commit", "-q", "-m", "an area")
        self.assertEqual(status, 1, out)
        self.assertEqual(out.splitlines()[0], self.check_line(BROKEN, "areas/cave.ard"))
        self.assertIn("pre-commit: the commit is refused", out)
        # The other way round: the good one staged, a broken one in the tree.
        self.git("team", "add", "areas/cave.ard")
        self.write("team/areas/cave.ard", BROKEN)
        status, out = self.run_in("team", "git", "commit", "-q", "-m", "an area")
        self.assertEqual(status, 0, out)
        self.write("alone/good.ard", GOOD)
        self.assertEqual(self.git("team", "rev-parse", "HEAD:areas/cave.ard"),
                         self.git("alone", "hash-object", "good.ard"))

if __name__ == "__main__":
    unittest.main()
