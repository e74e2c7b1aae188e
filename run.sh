#!/usr/bin/env bash
# Builds areaedit and starts it in a working folder that holds graphics.dat.
#   ./run.sh            starts it in ./areas (made on first use)
#   AREAS=DIR ./run.sh  starts it in DIR instead
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh"
areas="${AREAS:-$here/areas}"
mkdir -p "$areas"
cp "$here/build/graphics.dat" "$areas/graphics.dat"
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set). Start areaedit from a desktop session," >&2
  echo "  or give it a virtual one:  Xvfb :1 & DISPLAY=:1 ./run.sh" >&2
  exit 1
fi
cd "$areas"
exec "$here/build/areaedit"
