#!/usr/bin/env bash
# Builds the Windows programs (scripts/build-windows.sh) and runs their tests
# under Wine: the cross-built unit tests (label unit) and the end-to-end
# tests in virtual X servers (label wine). ./test.sh calls it; it may be run
# on its own once the Linux build is there (scripts/setup.sh): the pictures
# areatool.exe draws must equal its areatool's. Prints how long each step
# took and ends with ctest's line.
#
#   AREAEDIT_WINDOWS_BUILD_DIR  a build folder other than build-windows
#   AREAEDIT_BUILD_DIR          the Linux build, if not in build
#
# Exit status: 0 all passed; 1 the build or a test failed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}"
export AREAEDIT_WINDOWS_BUILD_DIR="$out"
export AREAEDIT_LINUX_BUILD="${AREAEDIT_BUILD_DIR:-$here/build}"
if [ ! -x "$AREAEDIT_LINUX_BUILD/areatool" ]; then
  echo "test-windows: no Linux areatool in $AREAEDIT_LINUX_BUILD to compare pictures with: run scripts/setup.sh first" >&2
  exit 1
fi

step_started=$SECONDS
step_done() {
  echo "test-windows: $1 took $((SECONDS - step_started)) s"
  step_started=$SECONDS
}

"$here/scripts/build-windows.sh"
step_done "building (packages, library, programs)"

# Fresh Wine prefixes every run: a template with Wine's virtual desktop on,
# copied by each end-to-end test file, and a copy of it for the unit tests,
# made before ctest starts them two at a time.
# The build ran areatool.exe in the unit tests' prefix: its Wine server
# ends before the prefix goes.
WINEPREFIX="$out/wine/unit" wineserver -k 2>/dev/null || true
rm -rf "$out/wine"
(cd "$here/tests/wine" && PYTHONPATH="$here/tests/support" PYTHONDONTWRITEBYTECODE=1 AREAEDIT_BUILD="$out" python3 -c '
import wine_support
wine_support.make_template(wine_support.TEMPLATE)
wine_support.copy_prefix(wine_support.TEMPLATE, wine_support.os.path.join(wine_support.BUILD, "wine", "unit"))')
step_done "making the Wine prefixes"

# The unit tests' Wine server and Wine's own services are kept running
# throughout: a server that ends after its idle time while the next test
# connects fails that test with "wine client error: recvmsg: Connection
# reset by peer". The services are started here, away from ctest's pipes,
# which they would otherwise hold open for as long as they run.
unit_prefix="$out/wine/unit"
WINEPREFIX="$unit_prefix" wineserver -p
AREAEDIT_WINEPREFIX="$unit_prefix" "$here/scripts/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1
status=0
(cd "$out" && ctest --output-on-failure --timeout 900 -j2) || status=$?
WINEPREFIX="$unit_prefix" wineserver -k 2>/dev/null || true
step_done "running the tests"
exit "$status"
