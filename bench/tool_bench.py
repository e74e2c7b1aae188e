"""Times areatool usage and find over a game of many area files, beside
cat reading the same files in the same run: the least any program that
reads them all must do. bench.py calls measure_tool(); the runs of the
three alternate, so that the page cache and the machine's load are the
same for each. Start reading at measure_tool()."""

import os
import random
import shutil
import subprocess
import tempfile
import time

GAME_FILES = 10_000
FOUND_TILE = 8            # in about one area in twenty, once or twice
RUN_DEADLINE = 60         # seconds any one run may take before it is killed
EMPTY = -1
# The figures, each beside cat's time in the floor's column.
FIGURES = {who: f"areatool {who}, {GAME_FILES:,} files (floor: cat)" for who in ("usage", "find")}


def area(rng, name):
    """One area's 420 bytes: mostly floor and walls, a few other tiles,
    the mark where its 3 is."""
    cells = [rng.choice((EMPTY, EMPTY, 0, 0, 0, 1, 2)) for _ in range(100)]
    for _ in range(rng.randrange(6)):
        cells[rng.randrange(100)] = rng.choice((4, 5, 6, 7))
    if rng.random() < 0.05:
        for _ in range(rng.randrange(1, 3)):
            cells[rng.randrange(100)] = FOUND_TILE
    mark = rng.randrange(100)
    cells[mark] = 3
    record = [mark // 10, mark % 10, rng.randrange(60, 300), *cells]
    return b"".join(v.to_bytes(4, "little", signed=True) for v in record) + name.ljust(8, b"\0")


def make_game(folder, count):
    """count area files in folder; returns their names."""
    rng = random.Random(35)
    names = []
    for n in range(count):
        name = "a%05d.ard" % n
        with open(os.path.join(folder, name), "wb") as f:
            f.write(area(rng, b"a%05d" % n))
        names.append(name)
    return names


def timed(argv, folder):
    """Seconds argv took, its output thrown away; killed at the deadline."""
    start = time.perf_counter()
    subprocess.run(argv, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=RUN_DEADLINE, check=False)
    return time.perf_counter() - start


def spread_ms(seconds):
    """(median, min, max) in milliseconds."""
    ms = sorted(s * 1e3 for s in seconds)
    return ms[len(ms) // 2], ms[0], ms[-1]


def measure_tool(build, rounds):
    """{figure: (areatool's times, cat's times)} for usage and find over
    GAME_FILES files, each (median, min, max) in ms over rounds runs."""
    folder = tempfile.mkdtemp(prefix="areaedit-bench-tool-", dir=build)
    try:
        shutil.copy(os.path.join(build, "graphics.dat"), folder)  # usage finds it as render does
        files = make_game(folder, GAME_FILES)
        areatool = os.path.join(build, "areatool")
        runs = {"cat": ["cat", *files],
                "usage": [areatool, "usage", *files],
                "find": [areatool, "find", str(FOUND_TILE), *files]}
        for argv in runs.values():  # once untimed: the files in the page cache
            timed(argv, folder)
        times = {who: [] for who in runs}
        for _ in range(rounds):
            for who, argv in runs.items():
                times[who].append(timed(argv, folder))
        cat = spread_ms(times["cat"])
        return {figure: (spread_ms(times[who]), cat) for who, figure in FIGURES.items()}
    finally:
        shutil.rmtree(folder, ignore_errors=True)
