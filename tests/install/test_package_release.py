"""The Debian package as whoever publishes it makes it, with the Maintainer
set: two builds of one commit, in two folders at different paths and at
different times, give the same bytes, and lintian finds nothing in it.
Each build is made afresh from the sources, so this holds whatever the
build under test was configured with."""

import io
import os
import shutil
import tarfile
import tempfile
import time
import unittest

from install_support import run

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
MAINTAINER = "Area Publisher <areas@example.org>"
BUILD_DEADLINE = 900  # seconds for configuring and building one folder
AR_MAGIC = b"!<arch>\n"
AR_HEADER = 60


def build_package(folder):
    """Configures and builds the sources in folder and makes the package,
    dated by the last commit as by default: the .deb's path."""
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    for argv in (("cmake", "-S", SOURCE, "-B", folder, "-DBUILD_TESTING=OFF",
                  "-DAREAEDIT_PACKAGE_MAINTAINER=" + MAINTAINER),
                 ("cmake", "--build", folder, "-j%d" % os.cpu_count()),
                 ("cpack", "--config", os.path.join(folder, "CPackConfig.cmake"),
                  "-B", os.path.join(folder, "package"))):
        status, out, err = run(*argv, env=env, deadline=BUILD_DEADLINE)
        assert status == 0, "%s failed:\n%s%s" % (" ".join(argv), out[-4000:], err[-4000:])
    folder = os.path.join(folder, "package")
    debs = [name for name in os.listdir(folder) if name.endswith(".deb")]
    assert len(debs) == 1, debs
    return os.path.join(folder, debs[0])


def members(deb):
    """{name: what} for each member of the .deb's ar archive (its header and
    bytes) and each file of the tar archives in it (its metadata and bytes),
    named archive/path."""
    with open(deb, "rb") as f:
        data = f.read()
    assert data.startswith(AR_MAGIC), deb
    found = {}
    at = len(AR_MAGIC)
    while at < len(data):
        header = data[at:at + AR_HEADER]
        name = header[:16].decode().strip().rstrip("/")
        size = int(header[48:58])
        body = data[at + AR_HEADER:at + AR_HEADER + size]
        found[name] = (header, body)
        if ".tar" in name:
            with tarfile.open(fileobj=io.BytesIO(body)) as tar:
                for entry in tar:
                    content = tar.extractfile(entry).read() if entry.isfile() else b""
                    found[name + "/" + entry.name] = (entry.get_info(), content)
        at += AR_HEADER + size + size % 2
    return found


class PackageReleaseTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="areaedit-package-test-")
        cls.debs = [build_package(os.path.join(cls.scratch, "first"))]
        time.sleep(1.1)  # the second build's own times are later, whatever its speed
        cls.debs.append(build_package(os.path.join(cls.scratch, "second", "build")))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, True)

    def test_two_builds_in_two_folders_give_the_same_package(self):
        first, second = (open(deb, "rb").read() for deb in self.debs)
        if first != second:
            one, other = members(self.debs[0]), members(self.debs[1])
            differ = sorted(name for name in one.keys() | other.keys()
                            if one.get(name) != other.get(name))
            self.fail("the two packages differ in: " + ", ".join(differ))

    def test_lintian_finds_nothing(self):
        status, out, err = run("lintian", self.debs[0])
        self.assertEqual((status, out), (0, ""), err)


if __name__ == "__main__":
    unittest.main()
