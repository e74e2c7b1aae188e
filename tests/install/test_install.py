"""The install and the Debian package, without a display: `cmake --install`
into a DESTDIR puts each file in its place, the manual pages read without
a warning and cover every command and option of areatool, and the package
made by CPack holds the same files and depends on exactly the packages of
the libraries the programs are linked with."""

import os
import re
import shutil
import tempfile
import unittest

import harness
from install_support import install_into, run

INSTALLED = {
    "usr/bin/areaedit", "usr/bin/areatool",
    "usr/share/areaedit/graphics.dat",
    "usr/share/areaedit/tiled/areaedit.js", "usr/share/areaedit/tiled/plain.png",
    "usr/share/areaedit/tiled/plain.tsx", "usr/share/areaedit/tiled/graphics.tsx",
    "usr/share/areaedit/tiled/graphics.png", "usr/share/areaedit/hooks/pre-commit",
    "usr/share/man/man1/areaedit.1", "usr/share/man/man1/areatool.1",
    "usr/share/bash-completion/completions/areatool",
    "usr/share/doc/areaedit/README.md", "usr/share/doc/areaedit/copyright",
    "usr/share/doc/areaedit/docs/editor.png", "usr/share/doc/areaedit/docs/tiled.png",
    "usr/share/doc/areaedit/docs/benchmark.md", "usr/share/doc/areaedit/docs/ci.md",
    "usr/share/doc/areaedit/docs/git.md",
    "usr/share/doc/areaedit/docs/layout.md", "usr/share/doc/areaedit/docs/package.md",
    "usr/share/doc/areaedit/docs/tiled.md", "usr/share/doc/areaedit/docs/windows.md",
}
PROGRAMS = ("areaedit", "areatool")
MAN_SECTIONS = ("NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "EXIT STATUS", "EXAMPLES")


def files_under(root):
    return {os.path.relpath(os.path.join(folder, name), root)
            for folder, _, names in os.walk(root) for name in names}


def packages_of_linked_libraries(programs):
    """The Debian packages that hold the shared libraries the programs name
    as needed (not what those libraries need in turn)."""
    packages = set()
    for program in programs:
        dynamic = run("readelf", "-d", program)[1]
        needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.+)\]", dynamic))
        found = dict(re.findall(r"^\s*(\S+) => (\S+)", run("ldd", program)[1], re.M))
        for library in needed:
            path = found.get(library) or "/lib64/" + library  # the loader has no "=>"
            # On a merged /usr the package may list the file under either name.
            names = [path, re.sub(r"^/usr/", "/", path), "/usr" + path]
            for name in names:
                status, owner, _ = run("dpkg", "-S", name)
                if status == 0:
                    packages.add(owner.split(":")[0])
                    break
            else:
                raise AssertionError("no package holds %s, needed by %s" % (path, program))
    return packages


class InstallTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="areaedit-install-test-")
        cls.prefix = install_into(os.path.join(cls.scratch, "dest"))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, True)

    def test_install_puts_each_file_in_its_place_and_the_tool_finds_the_tile_set(self):
        dest = os.path.dirname(self.prefix)
        self.assertEqual(files_under(dest), INSTALLED)
        for program in PROGRAMS:
            self.assertTrue(os.access(os.path.join(self.prefix, "bin", program), os.X_OK))
        with open(harness.TILE_SET, "rb") as built, \
                open(os.path.join(self.prefix, "share/areaedit/graphics.dat"), "rb") as installed:
            self.assertEqual(installed.read(), built.read())

        # Run from a folder of its own, areatool draws with the installed tile set.
        folder = tempfile.mkdtemp(dir=self.scratch)
        with open(os.path.join(folder, "hall.ard"), "wb") as f:
            f.write(harness.area_bytes({(0, 0): 8}))
        status, _, err = run(os.path.join(self.prefix, "bin/areatool"), "render", "hall.ard",
                             "hall.png", cwd=folder)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(sorted(os.listdir(folder)), ["hall.ard", "hall.png"])

    def test_manual_pages_read_without_warnings_and_cover_every_command(self):
        help_text = run(os.path.join(self.prefix, "bin/areatool"), "--help")[1]
        commands = re.findall(r"^  ([a-z]+) ", help_text, re.M)
        options = set(re.findall(r"(--[a-z]+)", help_text))
        self.assertIn("show", commands)
        env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8")
        for program in PROGRAMS:
            with self.subTest(program=program):
                page = os.path.join(self.prefix, "share/man/man1", program + ".1")
                status, text, err = run("man", "--warnings", "-l", page, env=env)
                self.assertEqual((status, err), (0, ""))
                for section in MAN_SECTIONS:
                    self.assertRegex(text, r"(?m)^%s$" % section)
                self.assertIn('git config diff.area.textconv "areatool show"', text)
                if program == "areatool":
                    for word in commands + sorted(options):
                        self.assertRegex(text, r"(?m)^ +(areatool )?%s\b" % re.escape(word))

    def test_package_holds_the_install_and_depends_on_the_linked_libraries(self):
        out = os.path.join(self.scratch, "package")
        status, log, err = run("cpack", "--config", os.path.join(harness.BUILD, "CPackConfig.cmake"),
                               "-B", out)
        self.assertEqual(status, 0, log + err)
        arch = run("dpkg", "--print-architecture")[1].strip()
        debs = [name for name in os.listdir(out) if name.endswith(".deb")]
        self.assertEqual(len(debs), 1, debs)
        self.assertRegex(debs[0], r"^areaedit_\d+\.\d+\.\d+_%s\.deb$" % arch)
        deb = os.path.join(out, debs[0])

        listing = run("dpkg-deb", "--contents", deb)[1].splitlines()
        files = {line.split()[-1][2:] for line in listing if not line.startswith("d")}
        # Debian keeps manual pages compressed; the changelog is the package's.
        self.assertEqual(files, {re.sub(r"(/man1/.*)", r"\1.gz", name) for name in INSTALLED}
                         | {"usr/share/doc/areaedit/changelog.gz"})

        depends = run("dpkg-deb", "--field", deb, "Depends")[1]
        named = {re.sub(r"[ :(].*", "", item.strip()) for item in depends.split(",")}
        programs = [os.path.join(self.prefix, "bin", program) for program in PROGRAMS]
        self.assertEqual(named, packages_of_linked_libraries(programs))
        self.assertIn("liballegro4.4", named)


if __name__ == "__main__":
    unittest.main()
