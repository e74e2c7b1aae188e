#!/usr/bin/env bash
# Writes the LICENSES.txt of the Windows zip to standard output: areaedit's
# licence and the notice of every library linked into areaedit.exe and
# areatool.exe, each as the source tarball or the Debian package it came
# from gives it. scripts/build-windows.sh calls it.
#
#   scripts/write-windows-licenses.sh ALLEGRO_TARBALL LIBPNG_TARBALL
#
# Exit status: 0 written; 1 a notice was not where it should be (one line on
# stderr says which).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
allegro_tarball="$1"
libpng_tarball="$2"

fail() {
  echo "write-windows-licenses: $*" >&2
  exit 1
}

# version_of TARBALL: the upstream version in a Debian .orig tarball's name.
version_of() {
  local name
  name="$(basename "$1" .orig.tar.gz)"
  echo "${name#*_}"
}

# from_tarball TARBALL PATH: a file of the tarball, PATH under its top folder.
from_tarball() {
  local text
  text="$(tar -xzOf "$1" --wildcards "*/$2" 2>/dev/null)" || fail "no $2 in $(basename "$1")"
  printf '%s\n' "$text"
}

# from_debian PACKAGE FIRST_LINE...: the paragraphs of the package's
# machine-readable copyright file that begin with the lines given (a Files or
# a standalone License paragraph), as plain text.
from_debian() {
  local package="$1" file="/usr/share/doc/$1/copyright" text
  shift
  [ -f "$file" ] || fail "no $file"
  text="$(awk -v wanted="$(printf '%s\n' "$@")" '
    BEGIN { RS = ""; n = split(wanted, list, "\n"); for (i = 1; i <= n; i++) want[list[i]] = 1 }
    {
      first = $0; sub(/\n.*/, "", first)
      if (!(first in want)) next
      delete want[first]
      m = split($0, lines, "\n")
      for (i = 1; i <= m; i++) {
        line = lines[i]
        if (line == " .") line = ""; else sub(/^ /, "", line)
        print line
      }
      print ""
    }
    END { for (w in want) { print "missing: " w > "/dev/stderr"; status = 1 }; exit status }' "$file")" \
    || fail "$file lacks a paragraph it should have"
  printf '%s\n' "$text"
}

# from_lines FILE FIRST LAST: the lines of FILE from one matching FIRST to
# the next matching LAST (extended regular expressions).
from_lines() {
  local text
  text="$(awk -v first="$2" -v last="$3" '$0 ~ first { on = 1 } on { print } on && $0 ~ last { exit }' "$1")"
  [ -n "$text" ] && [[ "$(tail -n1 <<<"$text")" =~ $3 ]] || fail "$1 lacks the lines from '$2' to '$3'"
  printf '%s\n' "$text"
}

debian_version() {
  dpkg-query -W -f='${Version}' "$1" 2>/dev/null || fail "$1 is not installed"
}

section() {
  printf '\n%s\n%s\n%s\n\n' "========================================================================" \
    "$1" "========================================================================"
}

allegro="$(version_of "$allegro_tarball")"
libpng="$(version_of "$libpng_tarball")"
zlib_package=libz-mingw-w64-dev
json_package=nlohmann-json3-dev
mingw_package=mingw-w64-x86-64-dev
gcc_package=gcc-mingw-w64-base

cat <<EOF
Licences of areaedit for Windows
================================

areaedit.exe and areatool.exe hold areaedit's own code and, linked in
statically, the libraries below; graphics.dat holds areaedit's tile
pictures. Each library's notice follows as its source or its Debian
package gives it.

EOF
printf '  %-38s %s\n' \
  "areaedit" "both programs, graphics.dat" \
  "Allegro $allegro, the graphics library" "both programs" \
  "libpng $libpng" "areatool.exe" \
  "zlib" "areatool.exe" \
  "JSON for Modern C++ (nlohmann)" "areatool.exe" \
  "MinGW-w64's runtime, winpthreads" "both programs" \
  "libstdc++ and libgcc, GCC's runtime" "both programs"

section "areaedit"
cat "$here/LICENSE"

section "Allegro $allegro: the giftware licence (docs/txt/license.txt of its sources)"
from_tarball "$allegro_tarball" docs/txt/license.txt

section "libpng $libpng (LICENSE of its sources)"
from_tarball "$libpng_tarball" LICENSE

section "zlib (Debian's $zlib_package $(debian_version $zlib_package), its copyright file)"
from_debian "$zlib_package" "Files: *" "License: Zlib"

section "JSON for Modern C++ (Debian's $json_package $(debian_version $json_package), its copyright file)"
from_debian "$json_package" "Files: *" "Files: include/nlohmann/detail/conversions/to_chars.hpp" \
  "Files: include/nlohmann/detail/output/serializer.hpp" "License: Expat"

section "MinGW-w64's runtime and winpthreads (Debian's $mingw_package $(debian_version $mingw_package), its copyright file)"
from_debian "$mingw_package" "Files: *" "Files: mingw-w64-libraries/winpthreads/*" \
  "Files: mingw-w64-libraries/winpthreads/include/pthread.h" "License: expat"

section "libstdc++ and libgcc (Debian's $gcc_package $(debian_version $gcc_package), its copyright file)"
copyright="/usr/share/doc/$gcc_package/copyright"
[ -f "$copyright" ] || fail "no $copyright"
from_lines "$copyright" '^The following runtime libraries are licensed' '^ - libvtv$'
echo
from_lines "$copyright" '^GCC RUNTIME LIBRARY EXCEPTION$' '^requirements of the license of GCC\.$'
