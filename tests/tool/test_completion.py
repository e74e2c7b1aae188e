"""areatool's bash completion, called as bash calls it (COMP_WORDS split at
'=' as bash splits them, COMP_CWORD, COMP_LINE, COMP_POINT) through
bash-completion, with the build's areatool first on PATH: the commands,
a command's options, and for each argument the files it takes, read from
areatool's own help."""

import os
import unittest

import harness
from harness import area_bytes
from tool_support import help_commands

SCRIPT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "completion",
                                      "areatool.bash"))
BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"

# Sources bash-completion and the script, then completes the line in $1,
# split into the words after it, and prints the replies one a line.
COMPLETE = """
source "$BASH_COMPLETION"
source "$SCRIPT"
COMP_LINE=$1 COMP_POINT=${#1}
COMP_WORDS=("${@:2}")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_areatool areatool "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\\n' "${COMPREPLY[@]}"
"""


class CompletionTest(harness.FolderTest):
    FOLDER_TILE_SET = None

    def complete(self, line):
        """The replies to a tab at the end of line, as a set."""
        words = []
        for word in line.split(" "):
            # bash breaks words at '=' as well, keeping it as a word of its own.
            before, equals, after = word.partition("=")
            words += [before, equals, after] if equals else [word]
        env = dict(os.environ, BASH_COMPLETION=BASH_COMPLETION, SCRIPT=SCRIPT,
                   PATH=os.path.abspath(harness.BUILD) + os.pathsep + os.environ["PATH"])
        env.pop("DISPLAY", None)
        program = harness.Program(["bash", "-c", COMPLETE, "complete", line] + words,
                                  self.folder, env)
        try:
            program.close_input()
            status = program.wait()
            self.assertEqual((status, program.stderr_text()), (0, ""), line)
            return set(program.stdout_text().split("\n")) - {""}
        finally:
            program.finish()

    def test_completes_commands_options_and_the_files_each_argument_takes(self):
        for name in ("hall.ard", "notes.txt", "shot.png", "tiles.tsx"):
            self.write(name, area_bytes())
        os.mkdir(self.path("rooms"))

        commands = help_commands(self.folder)
        self.assertIn("set", commands)
        self.assertEqual(self.complete("areatool "), set(commands))
        self.assertEqual(self.complete("areatool -"), {"--help", "--version"})
        cases = {
            "areatool re": {"render", "resolve", "review"},
            "areatool render -": {"--tiles", "--scale", "--depth", "--help"},
            "areatool set -": {"--cell", "--fill", "--replace", "--mark", "--time", "--name", "--help"},
            "areatool set --cell 1,1=3 h": {"hall.ard"},
            "areatool render ": {"hall.ard", "rooms"},
            "areatool render --scale 2 h": {"hall.ard"},
            "areatool render hall.ard ": {"shot.png", "rooms"},
            "areatool render --tiles ": {"hall.ard", "notes.txt", "shot.png", "tiles.tsx", "rooms"},
            "areatool render --tiles=n": {"notes.txt"},
            "areatool render --scale ": set(),
            "areatool tileset ": {"tiles.tsx", "rooms"},
            "areatool merge hall.ard hall.ard ": {"hall.ard", "rooms"},
            "areatool resolve --take ": {"ours", "theirs"},
            "areatool resolve --take=t": {"theirs"},
            "areatool resolve --take ours hall.ard ": {"hall.ard", "rooms"},
            "areatool render -- -": set(),
            "areatool atlas hall.ard ": {"hall.ard", "shot.png", "rooms"},
            "areatool review -": {"--tiles", "--scale", "--out", "--summary", "--image-url", "--help"},
            "areatool review --summary ": {"hall.ard", "notes.txt", "shot.png", "tiles.tsx", "rooms"},
            "areatool review --out ": {"rooms"},
            "areatool review --out rooms h": {"hall.ard"},
        }
        for line, replies in cases.items():
            with self.subTest(line=line):
                self.assertEqual(self.complete(line), replies)


if __name__ == "__main__":
    unittest.main()
