#!/usr/bin/env bash
# Measures the editor against the graphics library's own floor on this
# machine, and the Windows editor under Wine beside both, and prints the
# tables; the CSV goes to bench/results.csv and bench/results-windows.csv
# (or the path in BENCH_CSV and the same with -windows). A figure that
# misses its target says so in the table.
#   ./bench.sh --quick   each figure taken a few times only: a trial run
#   AREAEDIT_WINDOWS_BUILD_DIR  the Windows build (scripts/build-windows.sh
#                               makes it first), if not build-windows
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/build-bench"
windows="${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}"

AREAEDIT_BUILD_DIR="$build" AREAEDIT_CMAKE_OPTIONS="-DAREAEDIT_BENCH=ON -DBUILD_TESTING=OFF" \
  "$here/scripts/setup.sh" --tests >/dev/null
AREAEDIT_WINDOWS_BUILD_DIR="$windows" "$here/scripts/build-windows.sh" >/dev/null
python3 "$here/bench/bench.py" --build "$build" --windows "$windows" \
  --csv "${BENCH_CSV:-$here/bench/results.csv}" "$@"
