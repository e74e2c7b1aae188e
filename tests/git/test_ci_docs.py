"""The GitHub Actions workflow and the GitLab CI job of docs/ci.md, as
they stand there: each parses as YAML, and each shell step runs, in the
order given, in a real git clone of a repository of areas on a branch that
breaks one of them, with the build's areatool first on PATH and stand-ins
for the package's install. What they leave is what the CI systems read."""

import json
import os
import re
import subprocess
import unittest

import yaml

import harness
from harness import area_bytes
from tool_support import ToolTest, git_env

CI_MD = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "ci.md")
DEADLINE = 120
# Installing the package needs root and the archive: these take its place.
STAND_INS = {"sudo": 'exec "$@"\n', "apt-get": "exit 0\n"}


def github_unescaped(text, prop):
    """text as GitHub's runner reads a command's message, or a property."""
    pairs = [("%0D", "\r"), ("%0A", "\n")] + ([("%3A", ":"), ("%2C", ",")] if prop else [])
    for escaped, plain in pairs + [("%25", "%")]:
        text = text.replace(escaped, plain)
    return text


def github_commands(out):
    """(file, title, message) of each ::error line."""
    commands = []
    for line in out.split("\n")[:-1]:
        match = re.fullmatch(r"::error ([^:]*)::(.*)", line)
        assert match, line
        props = dict(p.split("=", 1) for p in match.group(1).split(","))
        commands.append((github_unescaped(props["file"], True), github_unescaped(props["title"], True),
                         github_unescaped(match.group(2), False)))
    return commands


def documented_files():
    """The GitHub workflow and the GitLab job of docs/ci.md, parsed."""
    with open(CI_MD) as f:
        blocks = re.findall(r"^```yaml\n(.*?)^```$", f.read(), re.M | re.S)
    assert len(blocks) == 2, blocks
    return [yaml.safe_load(block) for block in blocks]


class CiDocsTest(ToolTest):

    def setUp(self):
        super().setUp()
        self.github, self.gitlab = documented_files()
        bin_folder = self.path("bin")
        os.makedirs(bin_folder)
        for name, body in STAND_INS.items():
            with open(os.path.join(bin_folder, name), "w") as f:
                f.write("#!/bin/sh\n" + body)
            os.chmod(os.path.join(bin_folder, name), 0o755)
        self.search_path = os.pathsep.join([bin_folder, os.path.abspath(harness.BUILD), os.environ["PATH"]])

    def shell(self, script, cwd, options, **env):
        """(status, stdout) of script run by bash with options in cwd."""
        env = git_env(self.folder, PATH=self.search_path, **env)
        env.pop("DISPLAY", None)
        done = subprocess.run(["bash", "--noprofile", "--norc", *options, "-c", script], cwd=cwd, env=env,
                              capture_output=True, text=True, timeout=DEADLINE)
        return done.returncode, done.stdout

    def clone_branch(self, ci):
        """A clone, on a branch off main, of a repository of areas: the
        branch changes hall.ard to hold a cell no tile set draws, adds
        new.ard and removes gone.ard; old.ard, unchanged, has its mark off
        the board."""
        upstream, clone = self.path(ci + "/upstream"), self.path(ci + "/clone")
        self.write(ci + "/upstream/levels/hall.ard", area_bytes({(2, 2): 1}))
        self.write(ci + "/upstream/levels/gone.ard", area_bytes())
        self.write(ci + "/upstream/levels/old.ard", area_bytes(mark=(10, 0)))
        self.write(ci + "/upstream/README", b"not an area\n")
        for line in ["git init -q -b main", "git add .", "git commit -q -m base", "git clone -q . ../clone"]:
            self.assertEqual(self.shell(line, upstream, [])[0], 0, line)
        self.write(ci + "/clone/levels/hall.ard", area_bytes({(2, 2): 9}))
        self.write(ci + "/clone/levels/new.ard", area_bytes())
        for line in ["git checkout -q -b feature", "git rm -q levels/gone.ard", "git add .",
                     "git commit -q -m change"]:
            self.assertEqual(self.shell(line, clone, [])[0], 0, line)
        return clone

    def assert_review(self, clone):
        with open(os.path.join(clone, "review", "index.html")) as f:
            self.assertIn("1 changed, 1 added, 1 removed, 1 unchanged", f.read())

    def test_github_workflow_annotates_scans_summarises_and_keeps_the_page(self):
        clone = self.clone_branch("github")
        steps = self.github["jobs"]["areas"]["steps"]
        uses = [step["uses"].split("@")[0] for step in steps if "uses" in step]
        self.assertEqual(uses, ["actions/checkout", "github/codeql-action/upload-sarif",
                                "actions/upload-artifact"])
        self.assertEqual(self.github["permissions"]["security-events"], "write")
        summary = self.path("github/summary.md")
        outputs = {}
        for step in steps:
            if "run" not in step:
                continue
            with self.subTest(step=step["name"]):
                status, outputs[step["name"]] = self.shell(
                    step["run"], clone, ["-e"], GITHUB_BASE_REF="main", GITHUB_EVENT_NAME="pull_request",
                    GITHUB_STEP_SUMMARY=summary)
                # Only the annotations fail the job: the changed hall.ard has a problem.
                self.assertEqual(status != 0, step["name"] == "Check the changed areas", step["run"])
        # The annotations name only the changed area; code scanning has every one.
        self.assertEqual({file for file, _, _ in github_commands(outputs["Check the changed areas"])},
                         {"levels/hall.ard"})
        upload = next(step for step in steps if step.get("uses", "").startswith("github/codeql-action"))
        with open(os.path.join(clone, upload["with"]["sarif_file"])) as f:
            results = json.load(f)["runs"][0]["results"]
        self.assertEqual({r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"] for r in results},
                         {"levels/hall.ard", "levels/old.ard"})
        with open(summary) as f:
            self.assertEqual(f.readline(), "**1 changed, 1 added, 1 removed, 1 unchanged**\n")
        artifact = next(step for step in steps if step.get("uses", "").startswith("actions/upload-artifact"))
        self.assertEqual(artifact["with"]["path"], "review/")
        self.assert_review(clone)

    def test_gitlab_job_reports_code_quality_and_exposes_the_page(self):
        clone = self.clone_branch("gitlab")
        job = self.gitlab["areas"]
        # The runner runs a job's lines in one shell, stopping at the first that fails.
        status, out = self.shell("\n".join(job["before_script"] + job["script"]), clone, ["-eo", "pipefail"],
                                 CI_PIPELINE_SOURCE="merge_request_event", CI_MERGE_REQUEST_TARGET_BRANCH_NAME="main",
                                 CI_PROJECT_DIR=clone)
        self.assertNotEqual(status, 0)  # the changed hall.ard has a problem
        self.assertTrue(out.endswith("\nlevels/hall.ard: cell at column 2, row 2 holds 9, which the tile set "
                                     "cannot draw\n"), out)
        artifacts = job["artifacts"]
        with open(os.path.join(clone, artifacts["reports"]["codequality"])) as f:
            issues = json.load(f)
        self.assertEqual({issue["location"]["path"] for issue in issues}, {"levels/hall.ard", "levels/old.ard"})
        self.assertTrue(artifacts["expose_as"])
        self.assertEqual(artifacts["paths"], ["review/"])
        self.assertEqual(artifacts["when"], "always")
        self.assert_review(clone)


if __name__ == "__main__":
    unittest.main()
