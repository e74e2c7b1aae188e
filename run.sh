#!/usr/bin/env bash
# Builds areaedit and starts it in a working folder.
#   ./run.sh            starts it in ./areas (made on first use)
#   AREAS=DIR ./run.sh  starts it in DIR instead
# The folder is only read and written by the editor itself: the build's
# tile set, beside the program, serves when the folder has no graphics.dat
# of its own, and a graphics.dat already there is used as it is.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh"
build="${AREAEDIT_BUILD_DIR:-$here/build}"
areas="${AREAS:-$here/areas}"
mkdir -p "$areas"
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set). Start areaedit from a desktop session," >&2
  echo "  or give it a virtual one:  Xvfb :1 & DISPLAY=:1 ./run.sh" >&2
  exit 1
fi
cd "$areas"
exec "$build/areaedit"
