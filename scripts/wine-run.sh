#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests: quiet (WINEDEBUG=-all),
# in the Wine prefix AREAEDIT_WINEPREFIX or else build-windows/wine/unit, and
# without a display unless one is given in AREAEDIT_WINE_DISPLAY. CTest runs
# the cross-built unit tests through it (CMAKE_CROSSCOMPILING_EMULATOR).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEDEBUG=-all
export WINEPREFIX="${AREAEDIT_WINEPREFIX:-${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}/wine/unit}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine makes the prefix on first use, but not the folders above it: the
# build runs areatool.exe before the tests have made theirs.
mkdir -p "$(dirname "$WINEPREFIX")"
if [ -n "${AREAEDIT_WINE_DISPLAY:-}" ]; then
  export DISPLAY="$AREAEDIT_WINE_DISPLAY"
else
  unset DISPLAY
fi
exec wine "$@"
