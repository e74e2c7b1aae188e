"""The zip as a Windows user gets it: the Tiled extension's folder, with
the tile set the build drew, and README.txt's lines for Tiled and git. The
git lines are run as given, with areatool.exe under Wine in place of the
path a user writes: git diff then shows an area as areatool show does, and
a merge of two branches that changed one area merges it."""

import os
import unittest
import zipfile

import wine_support
from harness import area_bytes
from install_support import run
from wine_support import AREATOOL, BUILD, ZIP

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
EXTENSION = os.path.join(TOP, "tiled")
USER_PATH = "C:/Users/you/Documents/areaedit/areatool.exe"  # as README.txt writes it


def read(path):
    with open(path, "rb") as f:
        return f.read()


class ZipTest(wine_support.WineTest):

    def git(self, *args, shell=None):
        env = dict(wine_support.wine_env(self.prefix), GIT_CONFIG_NOSYSTEM="1", HOME=self.folder,
                   GIT_AUTHOR_NAME="t", GIT_AUTHOR_EMAIL="t@example.org",
                   GIT_COMMITTER_NAME="t", GIT_COMMITTER_EMAIL="t@example.org")
        status, out, err = run(*(["sh", "-c", shell] if shell else ["git", *args]),
                               cwd=self.folder, env=env)
        self.assertEqual(status, 0, err)
        return out.replace("\r", "")

    def test_zip_holds_the_tiled_extension_and_its_readme_sets_git_up_for_areas(self):
        with zipfile.ZipFile(ZIP) as z:
            tiled = {name.split("/")[-1]: z.read(name) for name in z.namelist()
                     if name.startswith("areaedit/tiled/") and not name.endswith("/")}
            readme = z.read("areaedit/README.txt").decode()
        want = {name: read(os.path.join(EXTENSION, name)) for name in os.listdir(EXTENSION)}
        want.update({name: read(os.path.join(BUILD, "tiled", name))
                     for name in ("graphics.tsx", "graphics.png")})
        self.assertEqual(tiled, want)
        self.assertIn(r"%LOCALAPPDATA%\Tiled\extensions", readme)

        lines = [line.strip() for line in readme.split("\r\n")]
        self.assertIn("*.ard diff=area merge=area", lines)
        config = [line for line in lines if line.startswith("git config")]
        self.assertEqual([line.split()[3] for line in config],
                         ["diff.area.textconv", "merge.area.name", "merge.area.driver"])
        difftool = [line for line in lines if line.startswith("git difftool")]
        self.assertEqual(len(difftool), 1)
        self.assertIn(USER_PATH + "' diff", difftool[0])

        wrapper = self.path("areatool.exe")
        with open(wrapper, "w") as f:
            f.write('#!/bin/sh\nexec wine "%s" "$@"\n' % AREATOOL)
        os.chmod(wrapper, 0o755)
        self.git("init", "-q", "-b", "main")
        for line in config:
            self.git(shell=line.replace(USER_PATH, wrapper))
        self.write(".gitattributes", b"*.ard diff=area merge=area\n")
        self.write("cave.ard", area_bytes({(0, 0): 1}, name=b"cave"))
        self.git("add", ".gitattributes", "cave.ard")
        self.git("commit", "-q", "-m", "base")
        self.git("checkout", "-q", "-b", "other")
        self.write("cave.ard", area_bytes({(0, 0): 1, (9, 0): 7}, name=b"cave"))
        self.git("commit", "-q", "-am", "theirs")
        self.git("checkout", "-q", "main")
        self.write("cave.ard", area_bytes({(0, 0): 1, (5, 5): 2}, name=b"cave"))
        self.assertIn("\n- 5  ..........\n+ 5  .....2....\n", self.git("diff", "cave.ard"))
        self.git("commit", "-q", "-am", "ours")
        self.git("merge", "-q", "--no-edit", "other")
        self.assertEqual(self.read("cave.ard"),
                         area_bytes({(0, 0): 1, (5, 5): 2, (9, 0): 7}, name=b"cave"))


if __name__ == "__main__":
    unittest.main()
