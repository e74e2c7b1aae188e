"""areatool check's formats for CI systems, run on files: the SARIF log
valid against the SARIF 2.1.0 schema with each region holding the bytes
its message names, GitLab's report with stable and distinct fingerprints,
check's status in every format and the text and JSON Lines as they were.
GitHub's workflow commands are read back in problem_reports_test.cpp,
and from a workflow's step in test_ci_docs.py."""

import json
import os
import re
import struct
import unittest
import urllib.parse

import jsonschema

from harness import area_bytes
from tool_support import ToolTest

SCHEMA = os.path.join(os.path.dirname(__file__), "..", "sarif", "node_modules", "@microsoft",
                      "sarif-multitool-linux", "sarif-2.1.0.json")
KINDS = {"file-size", "name-unterminated", "name-unusable", "cell-undrawable", "mark-off-board"}


class CheckFormatsTest(ToolTest):

    def write_every_problem(self):
        """Files with each kind of problem; their names, in order."""
        self.write("long.ard", area_bytes() + b"\0")
        self.write("open.ard", area_bytes(name=b"eightchr"))
        self.write("sub dir/50%.ard", area_bytes(name=b"a/b"))
        self.write("cells.ard", area_bytes({(2, 7): 9, (0, 1): -2}, mark=(2, 10)))
        self.write("many.ard", area_bytes({(c, 0): 20 + c for c in range(10)} | {(0, 1): 30, (0, 2): 31}))
        return ["long.ard", "open.ard", "sub dir/50%.ard", "cells.ard", "many.ard"]

    def test_sarif_log_is_valid_and_its_regions_hold_what_the_messages_name(self):
        files = self.write_every_problem()
        status, out, err = self.tool("check", "--format", "sarif", *files)
        self.assertEqual((status, err), (1, ""))
        log = json.loads(out)
        self.assertTrue(os.path.isfile(SCHEMA), "tests/sarif's npm package is not installed: run "
                                                "scripts/setup.sh --tests")
        with open(SCHEMA) as f:
            schema = json.load(f)
        jsonschema.validators.validator_for(schema)(schema).validate(log)
        [run] = log["runs"]
        driver = run["tool"]["driver"]
        _, version, _ = self.tool("--version")
        self.assertEqual((driver["name"], driver["version"]), ("areatool", version.split()[-1]))
        self.assertEqual({rule["id"] for rule in driver["rules"]}, KINDS)
        self.assertTrue(all(rule["shortDescription"]["text"] for rule in driver["rules"]))

        _, text, _ = self.tool("check", *files)
        self.assertEqual(["%s: %s" % (urllib.parse.unquote(r["locations"][0]["physicalLocation"]
                                                           ["artifactLocation"]["uri"]), r["message"]["text"])
                          for r in run["results"]], text.splitlines())
        self.assertEqual({r["ruleId"] for r in run["results"]}, KINDS)
        regions = 0
        for result in run["results"]:
            with self.subTest(message=result["message"]["text"]):
                self.assertEqual(result["level"], "error")
                self.assertEqual(driver["rules"][result["ruleIndex"]]["id"], result["ruleId"])
                location = result["locations"][0]["physicalLocation"]
                data = self.read(urllib.parse.unquote(location["artifactLocation"]["uri"]))
                region, message = location["region"], result["message"]["text"]
                if "byteOffset" not in region:
                    self.assertIn(result["ruleId"], {"file-size", "cell-undrawable"})
                    continue
                regions += 1
                got = data[region["byteOffset"]:region["byteOffset"] + region["byteLength"]]
                if result["ruleId"] == "cell-undrawable":
                    col, row, value = map(int, re.search(r"column (\d+), row (\d+) holds (-?\d+)", message).groups())
                    self.assertEqual(region["byteOffset"], 12 + 4 * (10 * col + row))
                    self.assertEqual(struct.unpack("<i", got)[0], value)
                elif result["ruleId"] == "mark-off-board":
                    mark = tuple(map(int, re.search(r"column (\d+), row (\d+)", message).groups()))
                    self.assertEqual(struct.unpack("<2i", got), mark)
                else:
                    self.assertEqual((region["byteOffset"], got), (412, data[412:420]))
        self.assertEqual(regions, 15)  # 2 names, 2 + 10 cells, 1 mark
        uris = {r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"] for r in run["results"]}
        self.assertIn("sub%20dir/50%25.ard", uris)

    def test_gitlab_fingerprints_are_stable_and_never_shared(self):
        files = self.write_every_problem()
        self.write("copy.ard", self.read("cells.ard"))
        runs = [self.tool("check", "--format", "gitlab", *files, "copy.ard") for _ in range(2)]
        self.assertEqual(runs[0], runs[1])
        status, out, err = runs[0]
        self.assertEqual((status, err), (1, ""))
        issues = json.loads(out)
        _, text, _ = self.tool("check", *files, "copy.ard")
        self.assertEqual(len(issues), len(text.splitlines()))
        for issue in issues:
            self.assertEqual(issue["severity"], "major")
            self.assertIn(issue["check_name"], KINDS)
            self.assertEqual(issue["location"]["lines"]["begin"], 1)
            self.assertIn("%s: %s" % (issue["location"]["path"], issue["description"]), text)
            self.assertRegex(issue["fingerprint"], "^[0-9a-f]{64}$")
        self.assertEqual(len({issue["fingerprint"] for issue in issues}), len(issues))
        # Only its own files change a problem's fingerprint.
        _, alone, _ = self.tool("check", "--format", "gitlab", "cells.ard")
        self.assertEqual(json.loads(alone), [i for i in issues if i["location"]["path"] == "cells.ard"])

    def test_every_format_has_checks_status_and_text_and_json_stay_as_they_were(self):
        self.write("fine.ard", area_bytes())
        self.write("bad.ard", area_bytes(mark=(-1, 0)))
        self.write("short.ard", b"")
        for files, status in [(["fine.ard"], 0), (["fine.ard", "bad.ard"], 1), (["short.ard", "bad.ard"], 1)]:
            plain = self.tool("check", *files)
            self.assertEqual(plain[0], status)
            self.assertEqual(self.tool("check", "--format", "text", *files), plain)
            self.assertEqual(self.tool("check", "--format=json", *files), self.tool("check", "--json", *files))
            for form in ["github", "gitlab", "sarif"]:
                with self.subTest(files=files, form=form):
                    got = self.tool("check", "--format", form, *files)
                    self.assertEqual((got[0], got[2]), (status, plain[2]))
        self.assertEqual(json.loads(self.tool("check", "--format", "gitlab", "fine.ard")[1]), [])
        self.assertEqual(json.loads(self.tool("check", "--format", "sarif", "fine.ard")[1])["runs"][0]["results"], [])
        for args in (["--format", "xml"], ["--format", "text", "--json"]):
            status, out, err = self.tool("check", *args, "fine.ard")
            self.assertEqual((status, out, err.count("\n")), (2, "", 0), err)


if __name__ == "__main__":
    unittest.main()
