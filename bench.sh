#!/usr/bin/env bash
# Measures the editor against the graphics library's own floor on this
# machine and prints the table; the CSV goes to bench/results.csv (or the
# path in BENCH_CSV). A figure that misses its target says so in the table.
#   ./bench.sh --quick   each figure taken a few times only: a trial run
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/build-bench"

AREAEDIT_BUILD_DIR="$build" AREAEDIT_CMAKE_OPTIONS="-DAREAEDIT_BENCH=ON -DBUILD_TESTING=OFF" \
  "$here/scripts/setup.sh" --tests >/dev/null
python3 "$here/bench/bench.py" --build "$build" --csv "${BENCH_CSV:-$here/bench/results.csv}" "$@"
