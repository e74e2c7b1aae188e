#!/usr/bin/env bash
# Installs the Debian packages that are missing and builds into build/
# (or into AREAEDIT_BUILD_DIR when that is set, with the CMake options in
# AREAEDIT_CMAKE_OPTIONS).
#   scripts/setup.sh          what building the editor and areatool needs
#                             (areatool writes PNG through the library's
#                             PNG add-on and its JSON through the
#                             header-only nlohmann-json3-dev; the editor
#                             quiets the sound
#                             library through its own headers) and the
#                             Debian package (dpkg-shlibdeps and file work
#                             out its dependencies; git dates it by the
#                             last commit)
#   scripts/setup.sh --tests  and what the test suite and ./bench.sh need as
#                             well: the sanitizer build and the fuzz targets
#                             use clang and its runtimes; the failure drills
#                             use mount and setpriv (util-linux); the
#                             benchmark presses buttons through the X test
#                             extension; areatool's merge is tried with git;
#                             the Tiled extension's tests run the real Tiled
#                             and type-check against its scripting API with
#                             npm's packages; the manual pages are checked
#                             with man; a clean Debian system for the
#                             package's install is made with debootstrap and
#                             cached with zstd; the commit hooks run under
#                             the pre-commit framework; areatool's shell
#                             completion runs under bash-completion; the
#                             package is checked with lintian; areatool
#                             review's page is opened in headless chromium
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

packages=(cmake g++ make pkg-config liballegro4-dev libloadpng4-dev libx11-dev libasound2-dev
          nlohmann-json3-dev dpkg-dev file git)
if [ "${1:-}" = "--tests" ]; then
  packages+=(libgtest-dev python3 xvfb xdotool imagemagick clang libclang-rt-14-dev util-linux
             libxtst-dev tiled man-db groff-base debootstrap zstd)
  packages+=(pre-commit bash-completion lintian chromium)
  command -v npm >/dev/null || packages+=(npm)
fi

"$here/scripts/install-missing.sh" "${packages[@]}"

# The type checker and Tiled's API, as pinned by the lock file.
tiled_check="$here/tests/tiled"
if [ "${1:-}" = "--tests" ] && { [ ! -e "$tiled_check/node_modules/.package-lock.json" ] ||
     [ "$tiled_check/package-lock.json" -nt "$tiled_check/node_modules/.package-lock.json" ]; }; then
  echo "setup: installing the npm packages of tests/tiled"
  npm ci --prefix "$tiled_check" --no-audit --no-fund >/dev/null
fi

build="${AREAEDIT_BUILD_DIR:-$here/build}"
# shellcheck disable=SC2086 # the options are meant to split
cmake -S "$here" -B "$build" ${AREAEDIT_CMAKE_OPTIONS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
