#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite. The window
# tests start their own virtual X server, so no display is needed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" --tests
cd "$here/build"
ctest --output-on-failure --timeout 300 -j2
