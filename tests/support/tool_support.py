"""What the tests of areatool as a process share: the program, a run of it
without a display, a folder of its own for each test, its pictures read
back, the commands and options its help lists, and a script as the
user's editor."""

import os
import re
import shlex
import sys
import tempfile

import harness
from harness import TILE

AREATOOL = os.path.abspath(os.path.join(harness.BUILD, "areatool"))
BOARD = 10 * TILE


# The editor of the edit and resolve tests, run as VISUAL="python3
# EDITOR_SCRIPT LOG 'STEP'...", through the shell: each run appends the
# text it was given to LOG, then does its step (one per run, the last one
# again when they run out): "keep", "fail", "empty", or "OLD=>NEW", which
# replaces the line OLD.
EDITOR_SCRIPT = """
import sys
log, steps, path = sys.argv[1], sys.argv[2:-1], sys.argv[-1]
with open(path) as f:
    text = f.read()
with open(log, "a") as f:
    f.write(path + "\\n" + text + "\\f")
runs = open(log).read().count("\\f")
step = steps[min(runs, len(steps)) - 1]
if step == "fail":
    sys.exit(3)
if step == "empty":
    text = ""
elif step != "keep":
    old, new = step.split("=>")
    assert old in text.splitlines(), old
    text = "\\n".join(new if line == old else line for line in text.splitlines()) + "\\n"
with open(path, "w") as f:
    f.write(text)
"""


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


def git_md_lines(heading):
    """The command lines of git and areatool, indented as docs/git.md shows
    them, of its section under heading, in order."""
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "docs", "git.md")) as f:
        section = f.read().split("## " + heading, 1)[1].split("\n## ", 1)[0]
    return re.findall(r"^    ((?:git|areatool) .*)$", section, re.M)


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


class EditorScriptTest(ToolTest):
    """areatool running EDITOR_SCRIPT as the user's editor, with a temporary
    folder of the test's own, which must be empty again at its end."""

    def setUp(self):
        super().setUp()
        self.temp = tempfile.mkdtemp(prefix="areatool-edit-temp-")
        self.addCleanup(os.rmdir, self.temp)  # fails if areatool left its text behind
        self.script = os.path.join(self.temp, "..", os.path.basename(self.temp) + "-editor.py")
        with open(self.script, "w") as f:
            f.write(EDITOR_SCRIPT)
        self.addCleanup(os.remove, self.script)
        self.log = self.path("log")

    def editor_env(self, *steps, variable="VISUAL", env=None):
        """env (default: this one's) with the script doing steps as the
        editor in variable, the other of VISUAL and EDITOR unset."""
        env = {k: v for k, v in (os.environ if env is None else env).items() if k not in ("VISUAL", "EDITOR")}
        return env | {"TMPDIR": self.temp, variable: shlex.join([sys.executable, self.script, self.log, *steps])}

    def texts(self):
        """The text the editor was given at each run, and the file it was in."""
        with open(self.log) as f:
            runs = [run.split("\n", 1) for run in f.read().split("\f")[:-1]]
        os.remove(self.log)
        for path, _ in runs:
            self.assertEqual(os.path.dirname(path), self.temp)
        return [text for _, text in runs]
