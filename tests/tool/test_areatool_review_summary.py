"""areatool review --summary rendered by a real GitHub-flavoured Markdown
renderer, cmark-gfm with GitHub's extensions: one table row a changed,
added or removed area, names made of Markdown's and HTML's specials shown
as themselves, pictures only from --image-url, and a summary past the
limit cut where its last line says."""

import html.parser
import os
import shutil
import subprocess
import unittest
import urllib.parse

from harness import area_bytes
from tool_support import ToolTest

CMARK = shutil.which("cmark-gfm")
LIMIT = 65536
DEADLINE = 60
# Markdown's and HTML's specials: a link, an image, a tag (whose '/' makes
# it a folder), an entity, a bare address, code, emphasis, a strike and
# pipes that would end a cell.
STRANGE = "a|b `c` *d* _e_ [f](g) ![h](i) <b>j</b> &amp; www.example.org \\|k~~l~~"


class Rendered(html.parser.HTMLParser):
    """What a browser shows of the rendered summary: the table's rows by
    their cells' text, the text of each code element and paragraph, and
    each tag met with its attributes."""

    def __init__(self, markup):
        super().__init__(convert_charrefs=True)
        self.rows, self.codes, self.paragraphs, self.tags = [], [], [], []
        self.open = []  # the lists that text met now goes to the end of
        self.feed(markup)

    def handle_starttag(self, tag, attrs):
        self.tags.append((tag, dict(attrs)))
        into = {"tr": None, "td": self.rows, "th": self.rows, "code": self.codes, "p": self.paragraphs}
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.rows[-1].append("")
            self.open.append(self.rows[-1])
        elif tag in ("code", "p"):
            into[tag].append("")
            self.open.append(into[tag])

    def handle_endtag(self, tag):
        if tag in ("td", "th", "code", "p"):
            self.open.pop()

    def handle_data(self, data):
        for texts in self.open:
            texts[-1] += data


def render(markdown):
    done = subprocess.run([CMARK, "--unsafe", "-e", "table", "-e", "autolink", "-e", "tagfilter",
                           "-e", "strikethrough"], input=markdown.encode(), capture_output=True, timeout=DEADLINE)
    assert done.returncode == 0, done.stderr
    return Rendered(done.stdout.decode())


@unittest.skipUnless(CMARK, "cmark-gfm is not installed: run scripts/setup.sh --tests")
class ReviewSummaryTest(ToolTest):

    def review(self, *args):
        status, out, err = self.tool("review", *args, "old", "new")
        with open(self.path("summary.md"), "rb") as f:
            return status, err, f.read().decode()

    def write_branch(self, name):
        """old and new: name changed, added.ard added, gone.ard removed and
        same.ard unchanged."""
        self.write("old/" + name, area_bytes({(1, 1): 2}))
        self.write("new/" + name, area_bytes({(1, 1): 9}, mark=(1, 1)))
        self.write("new/added.ard", area_bytes(mark=(12, 0)))
        self.write("old/gone.ard", area_bytes())
        for side in ("old", "new"):
            self.write(side + "/same.ard", area_bytes())

    def test_table_has_a_row_per_area_and_every_name_shows_as_itself(self):
        name = STRANGE + ".ard"
        self.write_branch(name)
        status, err, summary = self.review("--summary", "summary.md")
        self.assertEqual((status, err), (1, ""))
        shown = render(summary)
        self.assertEqual(shown.paragraphs[0], "1 changed, 1 added, 1 removed, 1 unchanged")
        self.assertEqual(shown.rows, [["Area", "Change", "Differences", "Problems"],
                                      ["added.ard", "added", "-", "1"],
                                      [name, "changed", "2", "1"],
                                      ["gone.ard", "removed", "-", "-"]])
        self.assertEqual(shown.codes.count(name), 2)  # its row and its section
        self.assertEqual({tag for tag, _ in shown.tags},
                         {"p", "strong", "table", "thead", "tbody", "tr", "th", "td", "code", "h3", "details",
                          "summary", "pre"})
        # With pictures: each from the address given, by its path.
        status, err, summary = self.review("--summary", "summary.md", "--out", "out",
                                           "--image-url", "https://example.org/run/7/")
        self.assertEqual((status, err), (1, ""))
        shown = render(summary)
        sources = [attrs["src"] for tag, attrs in shown.tags if tag == "img"]
        self.assertTrue(all(src.startswith("https://example.org/run/7/") for src in sources), sources)
        pictures = [urllib.parse.unquote(src.removeprefix("https://example.org/run/7/")) for src in sources]
        self.assertEqual(pictures, ["added.ard.png", name + ".png", "gone.ard.png"])
        for path in pictures:
            self.assertTrue(os.path.isfile(self.path("out/" + path)), path)
        self.assertNotIn("a", {tag for tag, _ in shown.tags})

    def test_summary_past_the_limit_is_cut_where_its_last_line_says(self):
        # 40 changes of 100 differences each, far past the limit.
        for i in range(40):
            self.write("old/area%02d.ard" % i, area_bytes())
            self.write("new/area%02d.ard" % i, area_bytes({(c, r): 1 for c in range(10) for r in range(10)}))
        status, err, summary = self.review("--summary", "summary.md", "--out", "out")
        self.assertEqual((status, err), (1, ""))
        self.assertLessEqual(len(summary), LIMIT)
        shown = render(summary)
        self.assertEqual(len(shown.rows), 41)
        kept = sum(1 for tag, _ in shown.tags if tag == "details")
        self.assertEqual(shown.paragraphs[-1],
                         "The sections of the last %d areas are left out, to keep this summary within 65,536 "
                         "characters: the whole review is on the page, index.html in out." % (40 - kept))
        section = len(summary.split("<h3>")[1])
        self.assertGreater(len(summary) + section, LIMIT)  # one more would not have fitted

        # 300 removed areas with long names, whose rows alone pass it.
        shutil.rmtree(self.path("old"))
        shutil.rmtree(self.path("new"))
        os.makedirs(self.path("new"))
        for i in range(300):
            self.write("old/%03d%s.ard" % (i, "x" * 200), area_bytes())
        status, err, summary = self.review("--summary", "summary.md")
        self.assertEqual((status, err), (1, ""))
        self.assertLessEqual(len(summary), LIMIT)
        shown = render(summary)
        rows = len(shown.rows) - 1
        self.assertEqual(shown.paragraphs[-1],
                         "The last %d rows of the table are left out, to keep this summary within 65,536 "
                         "characters: the whole review is on the page that areatool review writes with --out."
                         % (300 - rows))
        self.assertGreater(len(summary) + len(summary.split("\n")[5]), LIMIT)

    def test_the_summary_needs_a_place_and_its_pictures_an_address(self):
        self.write_branch("hall.ard")
        for args in (["--summary", "s.md", "--image-url", "https://example.org"],
                     ["--summary", "s.md", "--out", "out", "--image-url", "pictures/"], []):
            with self.subTest(args=args):
                status, out, err = self.tool("review", *args, "old", "new")
                self.assertEqual((status, out, err.count("\n")), (2, "", 0), err)
                self.assertTrue(err.startswith("areatool: "), err)
                self.assertFalse(os.path.exists(self.path("s.md")))


if __name__ == "__main__":
    unittest.main()
