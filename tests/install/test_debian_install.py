"""The package on a clean Debian 12: a minimal system made with debootstrap
from the archive this machine uses installs it with apt-get, which brings
in whatever its Depends name, and then both programs run from a folder of
their own: the editor shows its menu and, without a display, says it
cannot set a graphics mode; areatool draws an area with the installed tile
set. Needs root and the Debian archive; the minimal system is kept as a
tarball in AREAEDIT_CACHE (/var/cache/areaedit), so only the first run
pays for debootstrap."""

import os
import re
import shutil
import tempfile
import unittest

import harness
from harness import MENU, NEW_NAME
from install_support import run

SUITE = "bookworm"
CACHE = os.environ.get("AREAEDIT_CACHE", "/var/cache/areaedit")
ROOT_TARBALL = os.path.join(CACHE, "debian-%s-minbase.tar.zst" % SUITE)


def archive_url():
    """The Debian archive this machine's apt reads the suite from."""
    policy = run("apt-cache", "policy")[1]
    found = re.search(r"^\s*\d+ (\S+) %s/main " % SUITE, policy, re.M)
    if not found:
        raise unittest.SkipTest("apt reads no %s/main from any archive here" % SUITE)
    return found[1]


def check(result, what):
    status, out, err = result
    assert status == 0, "%s failed (%d): %s" % (what, status, (out + err)[-3000:])
    return out


def clean_system(root):
    """A minimal Debian system at root, from the cached tarball when there
    is one."""
    if not os.path.exists(ROOT_TARBALL):
        os.makedirs(CACHE, exist_ok=True)
        fresh = tempfile.mkdtemp(prefix="debootstrap-", dir=CACHE)
        try:
            check(run("debootstrap", "--variant=minbase", SUITE, fresh, archive_url()), "debootstrap")
            partial = ROOT_TARBALL + ".partial.%d" % os.getpid()
            check(run("tar", "--zstd", "-cf", partial, "-C", fresh, "."), "packing the system")
            os.replace(partial, ROOT_TARBALL)
        finally:
            shutil.rmtree(fresh, True)
    os.makedirs(root)
    check(run("tar", "--zstd", "-xf", ROOT_TARBALL, "-C", root), "unpacking the system")


@unittest.skipUnless(os.geteuid() == 0, "needs root for debootstrap and chroot")
class DebianInstallTest(unittest.TestCase):

    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="areaedit-debian-test-")
        self.addCleanup(shutil.rmtree, self.scratch, True)

    def chroot(self, *command, stdin=""):
        """(status, stdout, stderr) of a shell command in the clean system,
        killed at the deadline with its output capped."""
        program = harness.Program(["chroot", self.root, "/bin/sh", "-c", *command], self.scratch,
                                  {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL": "C.UTF-8",
                                   "DEBIAN_FRONTEND": "noninteractive"}, deadline=600)
        try:
            program.send(stdin)
            program.close_input()
            status = program.wait(600)
            return status, program.stdout_text(), program.stderr_text()
        finally:
            program.finish()

    def test_package_installs_on_a_clean_system_and_both_programs_run_from_any_folder(self):
        out = os.path.join(self.scratch, "package")
        check(run("cpack", "--config", os.path.join(harness.BUILD, "CPackConfig.cmake"), "-B", out),
              "cpack")
        deb = next(name for name in os.listdir(out) if name.endswith(".deb"))
        self.root = os.path.join(self.scratch, "root")
        clean_system(self.root)
        shutil.copy(os.path.join(out, deb), os.path.join(self.root, "tmp"))
        with open(os.path.join(self.root, "tmp", "hall.ard"), "wb") as f:
            f.write(harness.area_bytes({(0, 0): 8}))

        check(self.chroot("apt-get update -qq && apt-get install -y -qq /tmp/%s" % deb),
              "apt-get install")
        status, stdout, stderr = self.chroot("mkdir /tmp/areas && cd /tmp/areas && areaedit",
                                             stdin="1\nhall\n")
        self.assertEqual((status, stdout), (1, MENU + "\n" + NEW_NAME + "Cannot set a graphics mode"),
                         stderr)
        check(self.chroot("cd /tmp/areas && areatool render ../hall.ard hall.png"), "areatool render")
        self.assertEqual(os.listdir(os.path.join(self.root, "tmp", "areas")), ["hall.png"])
