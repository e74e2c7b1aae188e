"""How areatool's atlas and review grow with the number of areas: each run
once on 50, 500 and 5,000 areas (and the atlas of 1,000 at scale 2), its
wall time, its CPU time and its peak resident memory, as the kernel counts
them for the finished child. The atlas's growth is judged by CPU time,
which other work on the machine does not stretch. bench.py prints the table; start reading at
measure_growth()."""

import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "support"))
from harness import area_bytes  # noqa: E402  (the tests' own area files)

COUNTS = (50, 500, 5000)
QUICK_COUNTS = (50, 500)
DEADLINE = 1200              # seconds one run may take
TIME = "/usr/bin/time"       # GNU time (Debian's time)
# (command, areas, scale) with a peak memory goal, in MiB; the atlas's time
# per area at the largest count against its time per area at the middle one.
MEMORY_GOALS = {("atlas", 5000, 1): 64, ("atlas", 1000, 2): 64}
LINEAR_GOAL = 1.2


def write_areas(folder, count, seed, changed=False):
    """count area files a0000.ard... in folder, their cells drawn from
    seed; changed: each with one cell more than the unchanged one."""
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(seed)
    paths = []
    for i in range(count):
        cells = {(rng.randrange(10), rng.randrange(10)): rng.randrange(9) for _ in range(40)}
        if changed:
            cells[(i % 10, i // 10 % 10)] = 8 - cells.get((i % 10, i // 10 % 10), 0) % 9
        path = os.path.join(folder, "a%04d.ard" % i)
        with open(path, "wb") as f:
            f.write(area_bytes(cells, time_allowed=i % 100, name=b"a%d" % i))
        paths.append(path)
    return paths


def run_measured(argv, folder):
    """(seconds, CPU seconds, peak MiB) of one run of argv, which must end
    with 0 or 1. GNU time measures it: the kernel's peak for a child forked
    from this Python would count this Python's own pages too."""
    figures = os.path.join(folder, "figures")
    process = subprocess.Popen([TIME, "-f", "%e %U %S %M", "-o", figures, *argv], cwd=folder,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, start_new_session=True)
    try:
        _, error = process.communicate(timeout=DEADLINE)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise RuntimeError(f"{argv[1]} took more than {DEADLINE} s")
    with open(figures) as f:
        lines = f.read().splitlines()
    if process.returncode not in (0, 1):
        raise RuntimeError(f"{argv[1]} ended with {process.returncode}: {error[-4096:].decode(errors='replace')}")
    took, user, system, peak_kib = (float(v) for v in lines[-1].split())
    return took, user + system, peak_kib / 1024


def measure_growth(build, quick=False):
    """{(command, areas, scale): (seconds, CPU seconds, peak MiB)} for the
    build in the folder build."""
    tool = os.path.join(build, "areatool")
    tiles = os.path.join(build, "graphics.dat")
    counts = QUICK_COUNTS if quick else COUNTS
    results = {}
    folder = tempfile.mkdtemp(prefix="areaedit-growth-", dir=build)
    try:
        old = write_areas(os.path.join(folder, "old"), max(counts), 36)
        write_areas(os.path.join(folder, "new"), max(counts), 36, changed=True)
        runs = [("atlas", n, 1) for n in counts] + ([] if quick else [("atlas", 1000, 2)])
        runs += [("review", n, 1) for n in counts]
        for command, n, scale in runs:
            out = os.path.join(folder, "out")
            if command == "atlas":
                argv = [tool, "atlas", "--tiles", tiles, "--scale", str(scale), *old[:n], out + ".png"]
            else:
                for side in ("old", "new"):
                    shutil.rmtree(os.path.join(folder, side + "-part"), ignore_errors=True)
                    os.mkdir(os.path.join(folder, side + "-part"))
                    for name in sorted(os.listdir(os.path.join(folder, side)))[:n]:
                        os.link(os.path.join(folder, side, name), os.path.join(folder, side + "-part", name))
                argv = [tool, "review", "--tiles", tiles, "--scale", str(scale), "--out", out,
                        os.path.join(folder, "old-part"), os.path.join(folder, "new-part")]
            results[(command, n, scale)] = run_measured(argv, folder)
            shutil.rmtree(out, ignore_errors=True)
            if os.path.exists(out + ".png"):
                os.remove(out + ".png")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return results


def growth_rows(results):
    """The table's rows: command, areas, scale, time, CPU time per area,
    peak memory, goal, verdict."""
    atlas = sorted(n for command, n, scale in results if command == "atlas" and scale == 1)
    for (command, n, scale), (took, cpu, peak) in results.items():
        goals = []
        if (command, n, scale) in MEMORY_GOALS:
            limit = MEMORY_GOALS[(command, n, scale)]
            goals.append((f"peak at most {limit} MiB", peak <= limit))
        if command == "atlas" and scale == 1 and len(atlas) > 2 and n == atlas[-1]:
            middle = atlas[-2]
            ratio = (cpu / n) / (results[("atlas", middle, 1)][1] / middle)
            goals.append((f"CPU per area within {LINEAR_GOAL} x of {middle} areas' ({ratio:.2f})",
                          ratio <= LINEAR_GOAL))
        verdict = "" if not goals else ("met" if all(met for _, met in goals) else "MISSED")
        yield [command, str(n), str(scale), f"{took:.2f}", f"{1000 * cpu / n:.2f}", f"{peak:.1f}",
               "; ".join(goal for goal, _ in goals), verdict]

GROWTH_HEADER = ["command", "areas", "scale", "time s", "CPU ms per area", "peak MiB", "goal", "verdict"]
