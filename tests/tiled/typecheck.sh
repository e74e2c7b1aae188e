#!/bin/sh
# Type-checks the Tiled extension against Tiled's scripting API with the
# compiler from this folder's npm packages; without them, says how to get
# them rather than leaving CTest to report a command it could not find.
here="$(dirname "$0")"
if [ ! -x "$here/node_modules/.bin/tsc" ]; then
  echo "tiled_typecheck: tests/tiled's npm packages are not installed: run scripts/setup.sh --tests" >&2
  exit 1
fi
exec "$here/node_modules/.bin/tsc" -p "$here"
