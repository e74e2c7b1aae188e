"""Drives areaedit, or a program built on its editor, the way a user does:
a virtual X server of its own, answers on standard input once their prompt
has appeared, real pointer and key events from xdotool, and screenshots read
pixel by pixel.

Every program started here is killed with SIGKILL at its deadline, and only
a bounded amount of its output is kept: after a crash the graphics library
can print its shutdown message without end and ignore SIGTERM.
"""

import os
import re
import struct
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

BUILD = os.environ.get("AREAEDIT_BUILD", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
AREAEDIT = os.path.abspath(os.path.join(BUILD, "areaedit"))
TILE_SET = os.path.abspath(os.path.join(BUILD, "graphics.dat"))
ASSETS = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "assets"))
DAT = shutil.which("dat") or "dat"

OUTPUT_CAP = 1 << 20         # bytes of stdout or stderr kept per program
PROGRAM_DEADLINE = 60.0      # seconds before a program is killed
FRAME = 1.0 / 70             # the library's simulated retrace rate here
HOLD = 0.1                   # how long a key or button is held: several frames

BOARD_LEFT, BOARD_TOP, TILE = 280, 10, 35
POINTER_AWAY = (630, 470)    # where the pointer waits for the window: off its centre
POINTER_CENTRE = (320, 240)  # where the library puts its cursor when the mouse starts
# The green outside the board as a 24-bit screen shows it, by depth.
GREEN_AT_DEPTH = {16: (0, 202, 0), 15: (0, 206, 0)}
# The colour depths of the editor's window for a new area and a loaded one.
NEW_AREA_DEPTH = 16
LOADED_AREA_DEPTH = 15

# Starts the program in argv[2:] with a file size limit of argv[1] bytes
# and SIGXFSZ ignored, so that a write past the limit fails with EFBIG, as
# on a full disk, instead of killing it. Python's own start of a child
# would restore SIGXFSZ.
LIMITED_START = """
import os, resource, signal, sys
signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
resource.setrlimit(resource.RLIMIT_FSIZE, (int(sys.argv[1]),) * 2)
os.execv(sys.argv[2], sys.argv[2:])
"""


EMPTY = -1

# The console's prompts as the program prints them; answers wait for the
# menu's last line, CHOICE.
MENU = "1: Start a new area\n2: Load an existing area\n3: Exit\nYour choice: "
CHOICE = "Your choice: "
NEW_NAME = "Please name the area: "
LOAD_NAME = "What area do you want: "
SAVE = "Would you like to save (y/n)? "
TIME = "What is the allowed time for the area? "


def area_bytes(cells=None, mark=(0, 0), time_allowed=0, name=b"hall"):
    """The 420 bytes of an area file; cells maps (col, row) to a value,
    every other cell is empty. name is the 8-byte field, zero-padded."""
    values = [EMPTY] * 100
    for (col, row), value in (cells or {}).items():
        values[10 * col + row] = value
    return struct.pack("<3i100i8s", mark[0], mark[1], time_allowed, *values, name.ljust(8, b"\0"))


def parse_area(data):
    """(mark, time_allowed, {(col, row): value} of non-empty cells, name field)."""
    assert len(data) == 420, "an area file is 420 bytes, not %d" % len(data)
    fields = struct.unpack("<3i100i8s", data)
    cells = {(i // 10, i % 10): v for i, v in enumerate(fields[3:103]) if v != EMPTY}
    return (fields[0], fields[1]), fields[2], cells, fields[103]


def make_tile_set(path, entries):
    """A datafile at path, in place of any there, with entries in order: a
    number v for the picture assets/tileV.bmp, a string for a data entry
    holding that text. Each entry is added under a name of its own, since
    dat replaces an entry of the same name."""
    scratch = tempfile.mkdtemp(prefix="areaedit-dat-")
    try:
        if os.path.exists(path):
            os.remove(path)  # dat -a would add to it
        for n, entry in enumerate(entries):
            if isinstance(entry, int):
                source = shutil.copy(os.path.join(ASSETS, "tile%d.bmp" % entry),
                                     os.path.join(scratch, "entry%d.bmp" % n))
                args = ["-t", "BMP", "-bpp", "24", source]
            else:
                source = os.path.join(scratch, "entry%d.txt" % n)
                with open(source, "w") as f:
                    f.write(entry)
                args = ["-t", "DATA", source]
            subprocess.run([DAT, "-a", "-n0", path, *args], check=True, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    finally:
        shutil.rmtree(scratch, True)


def cell_centre(col, row):
    return BOARD_LEFT + TILE * col + TILE // 2, BOARD_TOP + TILE * row + TILE // 2


class Xvfb:
    """A virtual X server on a free display, stopped again on exit; options
    are added to its command line."""

    def __init__(self, *options):
        self.options = options

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset", *self.options],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self

    def __exit__(self, *exc):
        self.process.kill()
        self.process.wait()

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)

    def screenshot(self):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env(),
                             check=True, capture_output=True, timeout=30).stdout
        return Picture(ppm)

    def window(self):
        """The editor's window id, or None when none is on screen. The library
        keeps its window after a visit, only unmapped, so only mapped ones count."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "allegro"], env=self.env(),
                               capture_output=True, text=True, timeout=20).stdout.split()
        return found[0] if found else None

    def wait_for_window(self, depth=None, timeout=20):
        """Waits until the window is up and its first frame is on screen."""
        want = GREEN_AT_DEPTH.get(depth)
        deadline = time.monotonic() + timeout
        opened_here = not self.window()
        if opened_here:
            self.xdotool("mousemove", *POINTER_AWAY)
        while time.monotonic() < deadline:
            window = self.window()
            if window:
                shot = self.screenshot()
                colour = shot.pixel(5, 470)
                if (colour == want) if want else colour in GREEN_AT_DEPTH.values():
                    self.xdotool("windowfocus", window)
                    if opened_here:
                        self.wait_for_pointer_handover()
                    wait_frames(3)
                    return shot
            time.sleep(0.05)
        raise AssertionError("the editor window did not appear")

    def pointer(self):
        out = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env(),
                             capture_output=True, text=True, timeout=20).stdout
        fields = dict(line.split("=", 1) for line in out.split())
        return int(fields["X"]), int(fields["Y"])

    def wait_for_pointer_handover(self, timeout=5):
        """For its first polls after install_mouse the library reads pointer
        motion as relative, then warps the X pointer to its own cursor at the
        window's centre; a move or click before that lands elsewhere. The
        pointer was put away from the centre before the window opened, so
        its jump to the centre tells that the library has taken over."""
        deadline = time.monotonic() + timeout
        while self.pointer() != POINTER_CENTRE and time.monotonic() < deadline:
            time.sleep(0.02)

    def wait_for_no_window(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.window():
                return
            time.sleep(0.05)
        raise AssertionError("the editor window did not close")

    def hold_keys(self, *keys, seconds=HOLD):
        """Presses keys together, holds them for a few frames, releases them."""
        self.xdotool("keydown", *keys)
        time.sleep(seconds)
        self.xdotool("keyup", *keys)
        wait_frames(3)

    def move(self, x, y):
        self.xdotool("mousemove", x, y)
        wait_frames(3)

    def click(self, x, y):
        self.xdotool("mousemove", x, y)
        wait_frames(2)
        self.xdotool("mousedown", 1)
        time.sleep(HOLD)
        self.xdotool("mouseup", 1)
        wait_frames(3)

    def paint(self, key, *cells):
        """Chooses the tile with its key, then clicks each (col, row)."""
        self.hold_keys(key)
        for col, row in cells:
            self.click(*cell_centre(col, row))

    def escape(self):
        self.hold_keys("Escape")


def wait_frames(n):
    time.sleep(n * FRAME + 0.02)


class Picture:
    """A screenshot in binary PPM."""

    def __init__(self, ppm):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        assert header, "not an 8-bit binary PPM"
        self.width, self.height = int(header[1]), int(header[2])
        self.data = ppm[header.end():]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def cell(self, col, row, dx=TILE // 2, dy=TILE // 2):
        return self.pixel(BOARD_LEFT + TILE * col + dx, BOARD_TOP + TILE * row + dy)


class Program:
    """A program under test with its standard input and output on pipes."""

    def __init__(self, argv, cwd, env, deadline=PROGRAM_DEADLINE):
        self.process = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        start_new_session=True)
        self.out = bytearray()
        self.err = bytearray()
        self.lock = threading.Condition()
        self.readers = [threading.Thread(target=self._drain, args=(self.process.stdout, self.out), daemon=True),
                        threading.Thread(target=self._drain, args=(self.process.stderr, self.err), daemon=True)]
        for reader in self.readers:
            reader.start()
        self.killer = threading.Timer(deadline, self.kill)
        self.killer.daemon = True
        self.killer.start()
        self.seen = 0  # how much of stdout expect() has consumed

    def _drain(self, stream, into):
        while True:
            chunk = stream.read1(65536)
            if not chunk:
                break
            with self.lock:
                if len(into) < OUTPUT_CAP:
                    into += chunk[:OUTPUT_CAP - len(into)]
                self.lock.notify_all()
        with self.lock:
            self.lock.notify_all()

    def expect(self, text, timeout=20):
        """Waits until text appears on stdout after what was expected before."""
        want = text.encode()
        deadline = time.monotonic() + timeout
        with self.lock:
            while True:
                at = self.out.find(want, self.seen)
                if at >= 0:
                    self.seen = at + len(want)
                    return
                left = deadline - time.monotonic()
                if left <= 0 or (self.process.poll() is not None and not any(r.is_alive() for r in self.readers)):
                    raise AssertionError("expected %r on stdout; got %r; stderr %r"
                                         % (text, bytes(self.out[self.seen:]), self.stderr_text()[-2000:]))
                self.lock.wait(min(left, 0.1))

    def send(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def answer(self, prompt, text):
        self.expect(prompt)
        self.send(text)

    def close_input(self):
        self.process.stdin.close()

    def wait(self, timeout=20):
        """The exit status; a program still running at the deadline is killed."""
        try:
            status = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise AssertionError("the program did not end; stdout %r" % bytes(self.out[-500:]))
        for reader in self.readers:
            reader.join(5)
        return status

    def kill(self):
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass

    def stdout_text(self):
        with self.lock:
            return bytes(self.out).decode(errors="replace")

    def stderr_text(self):
        """stderr as lines joined by line ends, without the last one. The
        sound library's own complaints are not filtered out: the program
        keeps them off the console itself."""
        with self.lock:
            text = bytes(self.err).decode(errors="replace")
        return "\n".join(text.splitlines())

    def finish(self):
        self.killer.cancel()
        self.kill()
        if self.process.stdin and not self.process.stdin.closed:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass
        self.process.wait()
        for reader in self.readers:
            reader.join(5)
        self.process.stdout.close()
        self.process.stderr.close()


class FolderTest(unittest.TestCase):
    """Each test in a working folder of its own, removed after it, holding
    a copy of the tile set FOLDER_TILE_SET unless that is None."""
    FOLDER_TILE_SET = TILE_SET

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="areaedit-test-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        if self.FOLDER_TILE_SET:
            shutil.copy(self.FOLDER_TILE_SET, self.path("graphics.dat"))

    def path(self, name):
        return os.path.join(self.folder, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def write(self, name, data):
        """Writes the file, making the folders on its way."""
        os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
        with open(self.path(name), "wb") as f:
            f.write(data)


class WindowTest(FolderTest):
    """Each test gets its own X server (started with XVFB_OPTIONS) and its
    own working folder holding the built tile set."""
    XVFB_OPTIONS = ()

    def setUp(self):
        super().setUp()
        self.x = Xvfb(*self.XVFB_OPTIONS).__enter__()
        self.addCleanup(self.x.__exit__, None, None, None)

    def start(self, argv=None, env=None):
        program = Program(argv or [AREAEDIT], self.folder, env or self.x.env())
        self.addCleanup(program.finish)
        return program

    def leave(self, program):
        """Holds Escape until the program asks whether to save."""
        self.x.xdotool("keydown", "Escape")
        try:
            program.expect(SAVE)
        finally:
            self.x.xdotool("keyup", "Escape")
