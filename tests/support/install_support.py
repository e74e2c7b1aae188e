"""What the tests of the install share: a program run to its end with a
deadline, and the build installed into a folder."""

import os

import harness

PREFIX = "usr"
COMMAND_TIMEOUT = 300  # seconds; making the package runs dpkg-shlibdeps


def run(*argv, cwd=None, env=None, deadline=COMMAND_TIMEOUT):
    """(status, stdout, stderr) of a program, killed at the deadline (in
    seconds) with its output capped."""
    program = harness.Program(argv, cwd, env or dict(os.environ), deadline=deadline)
    try:
        program.close_input()
        status = program.wait(deadline)
        with program.lock:
            return status, bytes(program.out).decode(errors="replace"), \
                bytes(program.err).decode(errors="replace")
    finally:
        program.finish()


def install_into(destdir):
    """`cmake --install` of the build into destdir, with the usual prefix."""
    env = dict(os.environ, DESTDIR=destdir)
    status, _, err = run("cmake", "--install", harness.BUILD, "--prefix", "/" + PREFIX, env=env)
    assert status == 0, err
    return os.path.join(destdir, PREFIX)
