"""What the tests of areatool as a process share: the program, a run of it
without a display, a folder of its own for each test, its pictures read
back, and the commands and options its help lists."""

import os
import re

import harness
from harness import TILE

AREATOOL = os.path.abspath(os.path.join(harness.BUILD, "areatool"))
BOARD = 10 * TILE


def run(argv, folder, env=None):
    """(status, stdout, stderr) of a program run without a display, in env
    (default: this one's); it is killed at the harness's deadline and its
    output capped."""
    env = {k: v for k, v in (os.environ if env is None else env).items() if k != "DISPLAY"}
    program = harness.Program(argv, folder, env)
    try:
        program.close_input()
        status = program.wait()
        return status, program.stdout_text(), program.stderr_text()
    finally:
        program.finish()


def git_env(home, **more):
    """An environment for git that reads no configuration but what is
    under home, with an author and committer set."""
    return dict(os.environ, GIT_CONFIG_NOSYSTEM="1", HOME=home,
                GIT_AUTHOR_NAME="t", GIT_AUTHOR_EMAIL="t@example.org",
                GIT_COMMITTER_NAME="t", GIT_COMMITTER_EMAIL="t@example.org", **more)


def read_picture(test, path):
    """The picture file at path as a harness Picture, through ImageMagick."""
    ppm = os.path.join(test.folder, "picture.ppm")
    test.assertEqual(run(["convert", path, "-depth", "8", ppm], test.folder)[0], 0)
    with open(ppm, "rb") as f:
        picture = harness.Picture(f.read())
    os.remove(ppm)
    return picture


def help_commands(folder):
    """The commands `areatool --help` lists under "Commands:"."""
    status, out, _ = run([AREATOOL, "--help"], folder)
    assert status == 0, out
    listing = out.split("Commands:\n", 1)[1].split("\n\n", 1)[0]
    return re.findall(r"^ +([a-z]+) ", listing, re.M)


class ToolTest(harness.FolderTest):
    """Each test in a folder of its own holding the built tile set."""

    def tool(self, *args):
        return run([AREATOOL, *args], self.folder)

    def make_ten_pictures(self, name):
        """A tile set whose entries 0 to 9 are pictures (9 a copy of tile 4)
        and entry 10 data."""
        harness.make_tile_set(self.path(name), [*range(9), 4, "not a picture"])
