#!/usr/bin/env bash
# Installs the Debian packages that are missing and builds into build/
# (or into AREAEDIT_BUILD_DIR when that is set, with the CMake options in
# AREAEDIT_CMAKE_OPTIONS).
#   scripts/setup.sh          what building the editor and areatool needs
#                             (areatool writes PNG through libpng and
#                             its JSON through the
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
#                             extension and times areatool with GNU time;
#                             areatool's merge is tried with git;
#                             the Tiled extension's tests run the real Tiled
#                             and type-check against its scripting API with
#                             npm's packages; the manual pages are checked
#                             with man; a clean Debian system for the
#                             package's install is made with debootstrap and
#                             cached with zstd; the commit hooks run under
#                             the pre-commit framework; areatool's shell
#                             completion runs under bash-completion; the
#                             package is checked with lintian; areatool
#                             review's page is opened in headless chromium;
#                             check's SARIF log is validated with
#                             python3-jsonschema against the schema of the
#                             npm package pinned in tests/sarif/, the
#                             review's Markdown is rendered with cmark-gfm,
#                             and docs/ci.md's CI files are read with
#                             python3-yaml
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

packages=(cmake g++ make pkg-config liballegro4-dev libpng-dev libx11-dev libasound2-dev
          nlohmann-json3-dev dpkg-dev file git)
if [ "${1:-}" = "--tests" ]; then
  packages+=(libgtest-dev python3 xvfb xdotool imagemagick clang libclang-rt-14-dev util-linux
             libxtst-dev tiled man-db groff-base debootstrap zstd)
  packages+=(pre-commit bash-completion lintian chromium python3-jsonschema cmark-gfm python3-yaml time)
  command -v npm >/dev/null || packages+=(npm)
fi

"$here/scripts/install-missing.sh" "${packages[@]}"

# The type checker and Tiled's API, and the SARIF schema, as pinned by
# their lock files. The schema's package also holds a program, which is
# never run: its install script is not either.
for folder in tiled sarif; do
  tools="$here/tests/$folder"
  if [ "${1:-}" = "--tests" ] && { [ ! -e "$tools/node_modules/.package-lock.json" ] ||
       [ "$tools/package-lock.json" -nt "$tools/node_modules/.package-lock.json" ]; }; then
    echo "setup: installing the npm packages of tests/$folder"
    npm ci --prefix "$tools" --no-audit --no-fund --ignore-scripts >/dev/null
  fi
done

build="${AREAEDIT_BUILD_DIR:-$here/build}"
# shellcheck disable=SC2086 # the options are meant to split
cmake -S "$here" -B "$build" ${AREAEDIT_CMAKE_OPTIONS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
