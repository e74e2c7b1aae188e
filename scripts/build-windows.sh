#!/usr/bin/env bash
# Cross-builds areaedit and areatool for 64-bit Windows on Debian, and packs
# them with the tile set into a zip for Windows users.
#
#   scripts/build-windows.sh    installs what is missing (the MinGW-w64 cross
#                               compiler, the host's datafile tool, Wine and
#                               what the tests under it need), builds the
#                               graphics library once into a cache, then
#                               build-windows/areaedit.exe, areatool.exe,
#                               areaedit-windows.zip (with the Tiled
#                               extension in its folder tiled) and its
#                               SHA256SUMS
#
#   AREAEDIT_WINDOWS_BUILD_DIR  a build folder other than build-windows
#
# The library (Allegro 4.4.3.1) and areatool's libpng are built from
# the upstream tarballs in Debian's source archive, fetched with a private
# apt set-up under the cache (the machine's own apt configuration is read,
# never changed) and checked against the sha256 that Debian publishes for
# them. The library gets the patches under windows/patches/, each of which
# says why. zlib is Debian's MinGW build. The cache, deps/ in the build
# folder, is rebuilt only when the patches or this recipe change.
#
# Exit status: 0 built; 1 something could not be installed, fetched or
# built (one line on stderr says what).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}"
deps="$out/deps"
prefix="$deps/prefix"
toolchain="$here/windows/toolchain-x86_64.cmake"
jobs="$(nproc)"

allegro_package=allegro4.4
allegro_tarball=allegro4.4_4.4.3.1.orig.tar.gz
libpng_package=libpng1.6
libpng_tarball=libpng1.6_1.6.39.orig.tar.gz

fail() {
  echo "build-windows: $*" >&2
  exit 1
}

# ----- packages

# liballegro4-dev brings the host's datafile tool, which packs graphics.dat
# (the format is the same on every system); googletest the sources the unit
# tests are cross-built with; git the last commit's time, the zip's date;
# nlohmann-json3-dev the JSON library, header-only, as on Linux.
packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
          liballegro4-dev nlohmann-json3-dev googletest dpkg-dev zip git wine wine64 python3 xvfb xdotool imagemagick)
"$here/scripts/install-missing.sh" "${packages[@]}" || fail "cannot install the packages it needs"

# ----- the cached library

# Everything the cached prefix is made from: a change to any of it builds
# the prefix afresh.
recipe="$( (cat "$toolchain" "$here"/windows/patches/*.patch
            sed -n '/^# ----- the cached library/,/^# ----- areaedit/p' "$0") | sha256sum | cut -c1-16)"

apt_dir="$deps/apt"
source_index_read=""  # read afresh once a run that needs it
# Debian's source lists for this machine's release, made from its own binary
# ones: the same mirrors and keys, deb-src instead of deb.
write_source_list() {
  local codename list="$apt_dir/sources.list.d/debian-src.sources"
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  [ -n "$codename" ] || return 1
  mkdir -p "$apt_dir/sources.list.d"
  : >"$list"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # deb822 stanzas of the release's own suites, as deb-src.
    awk -v codename="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
      {
        keep = 0
        n = split($0, lines, "\n")
        for (i = 1; i <= n; i++) {
          if (lines[i] ~ /^Suites:/) {
            m = split(lines[i], suites, /[ \t]+/)
            for (j = 2; j <= m; j++)
              if (suites[j] == codename || index(suites[j], codename "-") == 1) keep = 1
          }
          if (lines[i] ~ /^Enabled:[ \t]*no/) { keep = 0; break }
        }
        if (!keep) next
        out = ""
        for (i = 1; i <= n; i++) {
          line = lines[i]
          if (line ~ /^Types:/) line = "Types: deb-src"
          out = out line "\n"
        }
        printf "%s\n", out
      }' "$f" >>"$list"
  done
  local one_line=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
  for f in "${one_line[@]}"; do
    [ -e "$f" ] || continue
    awk -v codename="$codename" '$1 == "deb" {
        for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/ && $i !~ /=/) break
        suite = $(i + 1)
        if (suite == codename || index(suite, codename "-") == 1) { $1 = "deb-src"; print }
      }' "$f" >>"${list%.sources}.list"
  done
  grep -q . "$list" "${list%.sources}.list" 2>/dev/null
}

apt_options() {
  echo "-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$apt_dir/sources.list.d" \
       "-o Dir::State=$apt_dir/state -o Dir::State::Lists=$apt_dir/lists" \
       "-o Dir::Cache=$apt_dir/cache -o Debug::NoLocking=1 -o APT::Sandbox::User=root"
}

# fetch_tarball PACKAGE TARBALL: the upstream tarball of a Debian source
# package in $deps/sources, checked against the sha256 in its .dsc (or, when
# the .dsc cannot be had, in the archive's signed source index).
fetch_tarball() {
  local package="$1" tarball="$2" sources="$deps/sources"
  mkdir -p "$sources"
  if [ ! -f "$sources/$tarball" ]; then
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/state"
    if [ -z "$source_index_read" ]; then
      write_source_list || fail "cannot tell Debian's source archive from this machine's apt sources"
      # shellcheck disable=SC2046 # the options are meant to split
      apt-get $(apt_options) update -qq >"$apt_dir/update.log" 2>&1 \
        || fail "cannot read Debian's source index (see $apt_dir/update.log)"
      source_index_read=yes
    fi
    # The Debian part (.debian.tar.xz) may be missing from the archive; only
    # the upstream tarball counts, so apt's own status is not the verdict.
    # shellcheck disable=SC2046
    (cd "$sources" && apt-get $(apt_options) source --download-only "$package" >"$apt_dir/$package.log" 2>&1) || true
    [ -f "$sources/$tarball" ] || fail "cannot fetch $tarball from Debian's source archive (see $apt_dir/$package.log)"
  fi
  local want have dsc
  dsc="$(ls "$sources/${package}"_*.dsc 2>/dev/null | tail -1 || true)"
  if [ -n "$dsc" ]; then
    want="$(awk -v f="$tarball" '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && $3 == f { print $1 }' "$dsc")"
  else
    # shellcheck disable=SC2046
    want="$(apt-cache $(apt_options) showsrc "$package" 2>/dev/null \
            | awk -v f="$tarball" '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && $3 == f { print $1; exit }')"
  fi
  have="$(sha256sum "$sources/$tarball" | cut -d' ' -f1)"
  if [ -z "$want" ] || [ "$want" != "$have" ]; then
    rm -f "$sources/$tarball"
    fail "$tarball does not match Debian's sha256 (${want:-none found}); removed it, run again"
  fi
}

build_prefix() {
  local started=$SECONDS src="$deps/src"
  echo "build-windows: building the graphics library for Windows into $prefix (once)"
  fetch_tarball "$allegro_package" "$allegro_tarball"
  fetch_tarball "$libpng_package" "$libpng_tarball"
  rm -rf "$src" "$prefix" "$deps/build"
  mkdir -p "$src" "$prefix"
  tar -xzf "$deps/sources/$libpng_tarball" -C "$src"
  tar -xzf "$deps/sources/$allegro_tarball" -C "$src"
  local libpng allegro patch
  libpng="$(echo "$src"/libpng-*)"
  allegro="$(echo "$src"/allegro-*)"
  for patch in "$here"/windows/patches/*.patch; do
    patch -d "$allegro" -p1 --quiet --forward <"$patch" || fail "cannot apply $(basename "$patch")"
  done
  local common=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
                -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix"
                -Wno-dev)
  cmake -S "$libpng" -B "$deps/build/libpng" "${common[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF >"$deps/libpng.log" 2>&1 \
    && cmake --build "$deps/build/libpng" -j"$jobs" >>"$deps/libpng.log" 2>&1 \
    && cmake --install "$deps/build/libpng" >>"$deps/libpng.log" 2>&1 \
    || fail "cannot build libpng (see $deps/libpng.log)"
  cmake -S "$allegro" -B "$deps/build/allegro" "${common[@]}" -DSHARED=OFF \
    -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF -DWANT_TESTS=OFF -DWANT_DOCS=OFF \
    -DWANT_ALLEGROGL=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -DWANT_LOADPNG=OFF \
    >"$deps/allegro.log" 2>&1 \
    && cmake --build "$deps/build/allegro" -j"$jobs" >>"$deps/allegro.log" 2>&1 \
    && cmake --install "$deps/build/allegro" >>"$deps/allegro.log" 2>&1 \
    || fail "cannot build the graphics library (see $deps/allegro.log)"
  rm -rf "$src" "$deps/build"
  echo "$recipe" >"$deps/recipe"
  echo "build-windows: graphics library built in $((SECONDS - started)) s"
}

if [ "$(cat "$deps/recipe" 2>/dev/null)" != "$recipe" ]; then
  build_prefix
fi

# ----- areaedit

# The date the programs' headers (strip writes it) and the zip's entries
# carry: SOURCE_DATE_EPOCH, the last commit's time when it is unset, so that
# the same sources give the same bytes (reproducible-builds.org).
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || true)}"
[ -n "$SOURCE_DATE_EPOCH" ] || fail "no commit to date the build by: set SOURCE_DATE_EPOCH"
export SOURCE_DATE_EPOCH

# Each test run makes its own Wine prefixes; CTest runs the cross-built unit
# tests through scripts/wine-run.sh.
cmake -S "$here" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$here/scripts/wine-run.sh" >"$out/configure.log" 2>&1 \
  || { tail -n 30 "$out/configure.log" >&2; fail "cannot configure the Windows build (see $out/configure.log)"; }
cmake --build "$out" -j"$jobs" || fail "the Windows build failed"

package="$out/package/areaedit"
rm -rf "$out/package" "$out/areaedit-windows.zip" "$out/SHA256SUMS"
mkdir -p "$package"
cp "$out/graphics.dat" "$package/"
# The build keeps its debugging information; the users' copies need none.
for program in areaedit areatool; do
  x86_64-w64-mingw32-strip -o "$package/$program.exe" "$out/$program.exe"
done
# The Tiled extension, as installed on Linux: its scripts and tile sets,
# with the one the build drew from graphics.dat.
mkdir -p "$package/tiled"
cp "$here"/tiled/*.js "$here"/tiled/*.tsx "$here"/tiled/*.png "$out"/tiled/graphics.* "$package/tiled/"
# Windows users' editors want CR LF line ends.
sed 's/$/\r/' "$here/windows/README.txt" >"$package/README.txt"

# The notices of everything linked into the programs.
fetch_tarball "$allegro_package" "$allegro_tarball"
fetch_tarball "$libpng_package" "$libpng_tarball"
"$here/scripts/write-windows-licenses.sh" "$deps/sources/$allegro_tarball" \
  "$deps/sources/$libpng_tarball" | sed 's/$/\r/' >"$package/LICENSES.txt" \
  || fail "cannot write LICENSES.txt"
# The same sources give the same zip: every entry dated SOURCE_DATE_EPOCH
# in UTC (zip keeps local times), with fixed permissions, in sorted order
# and with no extra fields. SHA256SUMS beside it lets users check a download.
chmod -R u=rwX,go=rX "$out/package"
find "$out/package" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$out/package" && find areaedit | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$out/areaedit-windows.zip") \
  || fail "cannot make the zip"
(cd "$out" && sha256sum areaedit-windows.zip >SHA256SUMS)
echo "build-windows: $out/areaedit-windows.zip ($(stat -c %s "$out/areaedit-windows.zip") bytes)"
