#!/usr/bin/env python3
"""Measures areaedit side by side with the floor: a program of the same
library that does only the library's own least for the editor's job.
Both run in one virtual X server of their own; the probe watches the
server's framebuffer and presses keys and buttons, and count_frames.so
counts the frames inside either program. With --windows, the Windows
editor then sits idle under Wine in the same server, beside the two;
Wine's own trace of DirectDraw counts its frames. areatool's usage and
find are timed beside cat over the same many files (tool_bench.py); with
--areatool, only they are, without a display.

Prints the tables on standard output and writes them as CSV. Start reading
at main()."""

import argparse
import csv
import mmap
import os
import platform
import re
import select
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "support"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "wine"))
from harness import Xvfb  # noqa: E402  (the tests' own virtual X server)
import tool_bench  # noqa: E402  (beside this file)
from growth import GROWTH_HEADER, growth_rows, measure_growth  # noqa: E402  (beside this file)

PROMPT = b"Your choice: "
OUTPUT_CAP = 64 * 1024        # bytes read from a program at most
DEADLINE = 20                 # seconds any one wait may take
# How often, or how long, each figure is taken; --quick takes fewer, to
# try the bench out rather than to measure.
RUNS = {"starts": 20, "windows": 20, "idle seconds": 10, "areatool rounds": 11}
QUICK_RUNS = {"starts": 2, "windows": 2, "idle seconds": 1, "areatool rounds": 2}
SETTLE_SECONDS = 2            # after the window is up, before the idle count
PRESSES = 20                  # cells pressed for the input latency
NEW_AREA = b"1\nbench\n"      # the menu answer and the name that open the editor
FLOOR_ANSWER = b"1\n"

# Window pixels, as the probe takes them: outside the board, and inside
# cell (0, 0), which a new area shows empty.
GREEN = "00c800"
BLACK = "000000"
SHOWN = [f"5,470={GREEN}", f"290,20={BLACK}"]  # the window with its first board
BOARD_LEFT, BOARD_TOP, TILE = 280, 10, 35
PRESS_INSET = 28              # the pointer sits near a cell's lower right corner
KEPT_FRAMES = 8192
WINDOW_WAIT = 60              # seconds Wine may take to open the window in a new prefix
# The refresh rate the Windows editor paces itself by under Wine: Wine's
# DirectDraw reports its display at 60 Hz (and the editor takes 60 Hz where
# nothing is reported).
WINE_REFRESH = 60
# What Wine's DirectDraw traces (WINEDEBUG=trace+ddraw) once a frame: the
# library locks the rows of the board on its screen surface to copy the
# board there.
BOARD_LOCK = re.compile(rb"ddraw_surface2_Lock iface \w+, rect \(0,%d\)-\(640,%d\)"
                        % (BOARD_TOP, BOARD_TOP + TILE * 10))
FRAME_COUNTS = struct.Struct(f"qq{KEPT_FRAMES}q")  # frames, retraces, frame times

TARGETS = {
    "start to menu": ("within 10 ms", lambda e, f: e <= 10),
    "answer to window": ("within 1.2 x floor", lambda e, f: e <= 1.2 * f),
    "idle CPU": ("within 1.5 x floor", lambda e, f: e <= 1.5 * f),
    "input latency, frames": ("within 2 frames", lambda e, f: e <= 2),
    "peak memory": ("within 1.2 x floor", lambda e, f: e <= 1.2 * f),
    **{figure: ("within 1.5 x cat", lambda e, f: e <= 1.5 * f) for figure in tool_bench.FIGURES.values()},
}


class Bench:
    def __init__(self, build, x):
        self.build = build
        self.x = x
        self.folder = tempfile.mkdtemp(prefix="areaedit-bench-", dir=build)
        shutil.copy(os.path.join(build, "graphics.dat"), self.folder)

    def path(self, name):
        return os.path.join(self.build, name)

    def program(self, who):
        return [self.path("areaedit")] if who == "areaedit" else [self.path("bench/floor")]

    def start(self, who, env=None):
        """Starts a program and returns it with the time it took to prompt."""
        started = time.monotonic_ns()
        process = subprocess.Popen(self.program(who), cwd=self.folder, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   env=env or self.x.env())
        read_until(process, PROMPT)
        return process, time.monotonic_ns() - started

    def probe(self, *args):
        probe = subprocess.Popen([self.path("bench/probe"), *args], stdout=subprocess.PIPE,
                                 env=self.x.env())
        if read_line(probe) != "ready":
            stop(probe)
            raise RuntimeError("the probe did not start")
        return probe

    def open_window(self, who):
        """Starts a program with its frames counted and answers it. Returns
        the program, its frame counts, the time from the answer until the
        probe saw the window shown and until the first frame began."""
        counts_path = os.path.join(self.folder, f"frames-{who}")
        if os.path.exists(counts_path):  # the counts file is made anew at the first frame
            os.remove(counts_path)
        env = dict(self.x.env(), LD_PRELOAD=self.path("bench/libcount_frames.so"),
                   BENCH_FRAMES=counts_path)
        process, _ = self.start(who, env)
        probe = self.probe("shown", *SHOWN)
        answered = time.monotonic_ns()
        process.stdin.write(NEW_AREA if who == "areaedit" else FLOOR_ANSWER)
        process.stdin.flush()
        shown = read_line(probe)
        stop(probe)
        if not shown:
            stop(process)
            raise RuntimeError(f"{who}: the window was not shown")
        counts = FrameCounts(counts_path)
        return process, counts, int(shown) - answered, counts.first_frame() - answered


class FrameCounts:
    """What count_frames.so keeps of a running program's frames."""

    def __init__(self, path):
        deadline = time.monotonic() + DEADLINE
        while not os.path.exists(path) or os.path.getsize(path) < FRAME_COUNTS.size:
            if time.monotonic() > deadline:
                raise RuntimeError("no frames counted")
            time.sleep(0.001)
        with open(path, "rb") as f:
            self.map = mmap.mmap(f.fileno(), FRAME_COUNTS.size, access=mmap.ACCESS_READ)

    def read(self):
        """(frames, the library's retrace count, times of the kept frames)"""
        frames, retraces, *kept = FRAME_COUNTS.unpack(self.map[:])
        return frames, retraces, [kept[n % KEPT_FRAMES]
                                  for n in range(max(0, frames - KEPT_FRAMES), frames)]

    def first_frame(self):
        deadline = time.monotonic() + DEADLINE
        while True:
            frames, _, times = self.read()
            if frames:
                return times[0]
            if time.monotonic() > deadline:
                raise RuntimeError("no first frame")
            time.sleep(0.001)


def read_until(process, marker):
    out = b""
    deadline = time.monotonic() + DEADLINE
    while marker not in out:
        left = deadline - time.monotonic()
        ready, _, _ = select.select([process.stdout], [], [], max(left, 0))
        chunk = os.read(process.stdout.fileno(), 4096) if ready else b""
        if not chunk or len(out) > OUTPUT_CAP:
            stop(process)
            raise RuntimeError(f"no {marker!r} from {process.args[0]}")
        out += chunk


def read_line(process):
    ready, _, _ = select.select([process.stdout], [], [], DEADLINE)
    return process.stdout.readline(OUTPUT_CAP).decode().strip() if ready else ""


def stop(process):
    """SIGKILL: after a crash the library's own handler ignores SIGTERM."""
    if process.poll() is None:
        process.send_signal(signal.SIGKILL)
    process.wait()


def cpu_ns(pid):
    """Time on a CPU so far, over all the process's threads."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/schedstat") as f:
            total += int(f.read().split()[0])
    return total


def peak_resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM")


def spread(values):
    return statistics.median(values), min(values), max(values)


def measure_start(bench, who):
    times = []
    for _ in range(RUNS["starts"]):
        process, took = bench.start(who)
        stop(process)
        times.append(took / 1e6)
    return spread(times)


def measure_window(bench, who):
    shown, first_frame = [], []
    for _ in range(RUNS["windows"]):
        process, _, to_shown, to_first_frame = bench.open_window(who)
        stop(process)
        shown.append(to_shown / 1e6)
        first_frame.append(to_first_frame / 1e6)
    return {"answer to window": spread(shown), "answer to first frame": spread(first_frame)}


def press_points():
    cells = [(c, r) for r in (1, 6) for c in range(10)][:PRESSES]
    return [f"{BOARD_LEFT + TILE * c + PRESS_INSET},{BOARD_TOP + TILE * r + PRESS_INSET}"
            for c, r in cells]


def press_cells(bench, who):
    """Presses the button over cell after cell (the editor's brush chosen
    first); returns when each press was made and when it showed."""
    key = "1" if who == "areaedit" else "none"
    probe = subprocess.run([bench.path("bench/probe"), "presses", key, *press_points()],
                           env=bench.x.env(), capture_output=True, text=True,
                           timeout=DEADLINE + PRESSES * 5)
    if probe.returncode != 0:
        raise RuntimeError(f"{who}: {probe.stderr.strip()}")
    lines = probe.stdout.splitlines()[1:]
    return [tuple(int(t) for t in line.split()) for line in lines]


def frames_between(frame_times, pressed, seen):
    """The frames begun after the press up to the one that showed it: the
    library's retraces come in timer ticks of uneven length, so a count of
    frames, not a time over a nominal period, tells how many it took."""
    return sum(1 for t in frame_times if pressed < t <= seen)


def measure_session(bench, who):
    """One visit: frames, retraces and CPU while idle, then the presses,
    then the peak resident size."""
    process, counts, _, _ = bench.open_window(who)
    try:
        time.sleep(SETTLE_SECONDS)
        frames0, retraces0, _ = counts.read()
        cpu0, t0 = cpu_ns(process.pid), time.monotonic_ns()
        time.sleep(RUNS["idle seconds"])
        frames1, retraces1, _ = counts.read()
        cpu1, t1 = cpu_ns(process.pid), time.monotonic_ns()
        presses = press_cells(bench, who)
        _, _, frame_times = counts.read()
        seconds = (t1 - t0) / 1e9
        return {
            "frame rate": ((frames1 - frames0) / seconds,),
            "retrace rate": ((retraces1 - retraces0) / seconds,),
            "idle CPU": (100 * (cpu1 - cpu0) / (t1 - t0),),
            "input latency, frames": spread([frames_between(frame_times, *p) for p in presses]),
            "input latency, ms": spread([(seen - pressed) / 1e6 for pressed, seen in presses]),
            "peak memory": (peak_resident_kib(process.pid) / 1024,),
        }
    finally:
        stop(process)


def wine_pids(prefix):
    """The pids running in the Wine prefix: the Windows program's own
    process (its command line names areaedit.exe) and Wine's (the server,
    the desktop and its services)."""
    program, wine = None, []
    marker = f"WINEPREFIX={prefix}".encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if marker not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read()
        except OSError:
            continue
        if b"areaedit.exe" in command and b"wineserver" not in command:
            program = int(pid)
        else:
            wine.append(int(pid))
    if program is None:
        raise RuntimeError("areaedit.exe: no process found")
    return program, wine


def wine_cpu_ns(pids):
    """cpu_ns over Wine's processes; one that has ended counts no more."""
    total = 0
    for pid in pids:
        try:
            total += cpu_ns(pid)
        except OSError:
            pass
    return total


def measure_windows(bench, windows_build):
    """The Windows editor under Wine, in a prefix of its own made as the
    Wine tests make theirs, idle for a while: its CPU as Wine draws its
    DirectDraw by default, through OpenGL from a command thread of its own
    inside the program's process; its frame rate, in a visit of its own
    with Wine's DirectDraw traced; and its CPU with Wine's GDI renderer,
    which draws with the processor and runs no such thread."""
    import wine_support  # noqa: E402  (the Wine tests' prefixes and window finder)
    folder = tempfile.mkdtemp(prefix="wine-", dir=bench.folder)
    prefix = os.path.join(folder, "prefix")
    template = os.path.join(windows_build, "wine", "template")
    if os.path.isdir(template):
        wine_support.copy_prefix(template, prefix)
    else:
        wine_support.make_template(prefix)
    figures = windows_session(bench, windows_build, prefix)
    figures["frame rate"] = windows_session(bench, windows_build, prefix,
                                            trace=os.path.join(folder, "ddraw.log"))
    wine_support.run_wine(prefix, "reg", "add", r"HKCU\Software\Wine\Direct3D", "/v", "renderer",
                          "/d", "gdi", "/f")
    wine_support.end_wineserver(prefix)
    figures["idle CPU, Wine's GDI renderer"] = windows_session(bench, windows_build, prefix)["idle CPU"]
    figures["frame rate, Wine's GDI renderer"] = windows_session(
        bench, windows_build, prefix, trace=os.path.join(folder, "ddraw-gdi.log"))
    return figures


def windows_session(bench, windows_build, prefix, trace=None):
    """One visit of areaedit.exe, idle: its CPU, the whole process's, its
    main thread's (the program's loop) and Wine's other processes'; or,
    with trace (a file for Wine's DirectDraw trace), its frames a second,
    as copies of the board to the screen. The trace costs time of its own,
    so the two are never taken together."""
    import wine_support  # noqa: E402
    env = wine_support.wine_env(prefix, bench.x.display)
    if trace:
        env["WINEDEBUG"] = "trace+ddraw"
    with open(trace or os.devnull, "wb") as log:
        process = subprocess.Popen(["wine", os.path.join(windows_build, "areaedit.exe")],
                                   cwd=bench.folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=log, start_new_session=True, env=env)
    try:
        read_until(process, PROMPT)
        process.stdin.write(NEW_AREA.replace(b"\n", b"\r\n"))
        process.stdin.flush()
        deadline = time.monotonic() + WINDOW_WAIT
        while not wine_support.window_origin(bench.x.screenshot()):
            if time.monotonic() > deadline:
                raise RuntimeError("areaedit.exe: the window was not shown")
            time.sleep(0.2)
        time.sleep(SETTLE_SECONDS)
        if trace:
            start, t0 = os.path.getsize(trace), time.monotonic_ns()
            time.sleep(RUNS["idle seconds"])
            end, t1 = os.path.getsize(trace), time.monotonic_ns()
            with open(trace, "rb") as f:
                f.seek(start)
                frames = len(BOARD_LOCK.findall(f.read(end - start)))
            return frames / ((t1 - t0) / 1e9)
        program, wine = wine_pids(prefix)

        def main_thread_ns():
            with open(f"/proc/{program}/task/{program}/schedstat") as f:
                return int(f.read().split()[0])
        t0 = time.monotonic_ns()
        before = cpu_ns(program), main_thread_ns(), wine_cpu_ns(wine)
        time.sleep(RUNS["idle seconds"])
        after = cpu_ns(program), main_thread_ns(), wine_cpu_ns(wine)
        t1 = time.monotonic_ns()
        whole, main, others = (100 * (b - a) / (t1 - t0) for a, b in zip(before, after))
        return {"idle CPU": whole, "idle CPU, main thread": main,
                "idle CPU, Wine's other processes": others}
    finally:
        stop(process)
        wine_support.end_wineserver(prefix)


def measure_files(bench):
    out = subprocess.run([bench.path("bench/file_bench")], cwd=bench.folder,
                         capture_output=True, text=True, timeout=120, check=True).stdout
    figures = {}
    for line in out.splitlines():
        figure, who, *times = line.split()
        figures[(figure, who)] = tuple(int(t) / 1e3 for t in times)
    return {figure: (figures[(figure, "areaedit")], figures[(figure, "floor")])
            for figure in ("load", "save")}


def show(values, digits):
    median, *rest = values
    text = f"{median:.{digits}f}"
    if rest:
        text += f" [{rest[0]:.{digits}f}-{rest[1]:.{digits}f}]"
    return text


def rows(results):
    units = {"start to menu": ("ms", 2), "answer to window": ("ms", 1),
             "answer to first frame": ("ms", 1),
             "frame rate": ("frames/s", 1), "retrace rate": ("retraces/s", 1),

             "idle CPU": ("% of a core", 2), "input latency, frames": ("frames", 1),
             "input latency, ms": ("ms", 1),
             "peak memory": ("MiB", 2), "load": ("us", 1), "save": ("us", 0),
             **{figure: ("ms", 1) for figure in tool_bench.FIGURES.values()}}
    for figure, (editor, floor) in results.items():
        unit, digits = units[figure]
        ratio = editor[0] / floor[0] if floor[0] else float("nan")
        target, met = TARGETS.get(figure, ("", None))
        verdict = "" if met is None else ("met" if met(editor[0], floor[0]) else "MISSED")
        yield [figure, unit, show(editor, digits), show(floor, digits), f"{ratio:.2f}",
               target, verdict]


WINDOWS_CPU_TARGET = ("within 1.5 x areaedit", lambda exe, editor: exe <= 1.5 * editor)
WINDOWS_FRAMES_TARGET = (f"within 10 % of {WINE_REFRESH}",
                         lambda exe, _: abs(exe - WINE_REFRESH) <= 0.1 * WINE_REFRESH)
WINDOWS_TARGETS = {
    "idle CPU": WINDOWS_CPU_TARGET,
    "idle CPU, Wine's GDI renderer": WINDOWS_CPU_TARGET,
    "frame rate": WINDOWS_FRAMES_TARGET,
    "frame rate, Wine's GDI renderer": WINDOWS_FRAMES_TARGET,
}
WINDOWS_ALONE = {"idle CPU, Wine's other processes"}  # nothing of Linux to set beside it


def windows_rows(windows, results):
    """The Windows editor's figures beside the Linux editor's and the
    floor's from the same run; the ratio is to the Linux editor, or for
    the frame rate to the refresh rate the editor assumes under Wine."""
    for figure, exe in windows.items():
        frames = figure.startswith("frame rate")
        unit = "frames/s" if frames else "% of a core"
        if figure in WINDOWS_ALONE:
            yield [figure, unit, f"{exe:.2f}", "", "", "", "", ""]
            continue
        editor, floor = results["frame rate" if frames else "idle CPU"]
        target, met = WINDOWS_TARGETS.get(figure, ("", None))
        base = WINE_REFRESH if frames else editor[0]
        cells = [f"{v:.{1 if frames else 2}f}" for v in (exe, editor[0], floor[0])]
        verdict = "" if met is None else ("met" if met(exe, editor[0]) else "MISSED")
        yield [figure, unit, *cells, f"{exe / base:.2f}", target, verdict]


def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    xvfb = subprocess.run(["Xvfb", "-version"], capture_output=True, text=True).stderr
    xvfb = next((l for l in xvfb.splitlines() if "X.Org X Server" in l), "Xvfb")
    return (f"{cpu}, {os.cpu_count()} cores, Linux {platform.release()}, "
            f"{xvfb.replace('X.Org X Server', 'Xvfb')} at 1024x768x24")


def suffixed_csv(path, suffix):
    """Where a table of its own goes: beside the main one."""
    stem, extension = os.path.splitext(path)
    return f"{stem}-{suffix}{extension or '.csv'}"


def print_table(header, table):
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for row in table:
        print("| " + " | ".join(row) + " |")


def measure_all(build, windows_build):
    """Every figure: the editor's and the floor's in a virtual X server, the
    Windows editor's when windows_build is given, and areatool's."""
    with Xvfb() as x:
        bench = Bench(build, x)
        try:
            results = {"start to menu": (measure_start(bench, "areaedit"),
                                         measure_start(bench, "floor"))}
            windows = {who: measure_window(bench, who) for who in ("areaedit", "floor")}
            for figure in windows["areaedit"]:
                results[figure] = (windows["areaedit"][figure], windows["floor"][figure])
            sessions = {who: measure_session(bench, who) for who in ("areaedit", "floor")}
            for figure in sessions["areaedit"]:
                results[figure] = (sessions["areaedit"][figure], sessions["floor"][figure])
            results.update(measure_files(bench))
            windows = measure_windows(bench, os.path.abspath(windows_build)) if windows_build else None
        finally:
            shutil.rmtree(bench.folder, ignore_errors=True)
    results.update(tool_bench.measure_tool(build, RUNS["areatool rounds"]))
    return results, windows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="build folder with the bench programs")
    parser.add_argument("--csv", required=True, help="where to write the table as CSV")
    parser.add_argument("--windows", help="the Windows build (scripts/build-windows.sh), "
                        "whose editor is measured under Wine as well")
    parser.add_argument("--quick", action="store_true",
                        help="take each figure a few times only: a trial run, not a measurement")
    parser.add_argument("--areatool", action="store_true",
                        help="take areatool's figures only, which need no display, into the CSV "
                        "with -areatool beside the one named (and its growth into the one with -growth)")
    args = parser.parse_args()
    if args.quick:
        RUNS.update(QUICK_RUNS)
    build = os.path.abspath(args.build)
    growth_csv = suffixed_csv(args.csv, "growth")

    windows = None
    if args.areatool:
        results = tool_bench.measure_tool(build, RUNS["areatool rounds"])
        args.csv = suffixed_csv(args.csv, "areatool")
    else:
        results, windows = measure_all(build, args.windows)

    header = ["figure", "unit", "areaedit", "floor", "ratio", "target", "verdict"]
    table = list(rows(results))
    with open(args.csv, "w", newline="") as f:
        csv.writer(f).writerows([header, *table])
    print(f"machine: {machine()}")
    runs = f"{RUNS['areatool rounds']} runs of areatool and cat"
    if not args.areatool:
        runs = (f"{RUNS['starts']} starts, {RUNS['windows']} windows, {RUNS['idle seconds']} s idle, "
                f"{PRESSES} presses, " + runs)
    print(f"median [min-max] where a figure was taken more than once; {runs}")
    print_table(header, table)
    if windows:
        header = ["figure", "unit", "areaedit.exe under Wine", "areaedit", "floor", "ratio", "target",
                  "verdict"]
        table = list(windows_rows(windows, results))
        with open(suffixed_csv(args.csv, "windows"), "w", newline="") as f:
            csv.writer(f).writerows([header, *table])
        print()
        print_table(header, table)

    growth = list(growth_rows(measure_growth(build, args.quick)))
    with open(growth_csv, "w", newline="") as f:
        csv.writer(f).writerows([GROWTH_HEADER, *growth])
    print()
    print("areatool's atlas and review as the game grows, each run once"
          + (" (--quick: not the 5,000)" if args.quick else ""))
    print_table(GROWTH_HEADER, growth)


if __name__ == "__main__":
    main()
