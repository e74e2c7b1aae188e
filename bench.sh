#!/usr/bin/env bash
# Measures the editor against the graphics library's own floor on this
# machine, and the Windows editor under Wine beside both, and prints the
# tables, then how areatool's atlas and review grow with the number of
# areas; the CSV goes to bench/results.csv, bench/results-windows.csv and
# bench/results-growth.csv (or the path in BENCH_CSV and the same with
# -windows and -growth). A figure that misses its target says so in the
# table.
#   ./bench.sh --quick   each figure taken a few times only: a trial run
#   ./bench.sh --areatool  areatool's figures only, into bench/results-areatool.csv:
#                          usage and find beside cat, with no display and no
#                          Windows build, and the growth table
#   AREAEDIT_WINDOWS_BUILD_DIR  the Windows build (scripts/build-windows.sh
#                               makes it first), if not build-windows
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/build-bench"
windows="${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}"

AREAEDIT_BUILD_DIR="$build" AREAEDIT_CMAKE_OPTIONS="-DAREAEDIT_BENCH=ON -DBUILD_TESTING=OFF" \
  "$here/scripts/setup.sh" --tests >/dev/null
case " $* " in
  *" --areatool "*) ;;
  *) AREAEDIT_WINDOWS_BUILD_DIR="$windows" "$here/scripts/build-windows.sh" >/dev/null ;;
esac
python3 "$here/bench/bench.py" --build "$build" --windows "$windows" \
  --csv "${BENCH_CSV:-$here/bench/results.csv}" "$@"
