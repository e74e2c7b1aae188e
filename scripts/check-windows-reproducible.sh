#!/usr/bin/env bash
# Builds the Windows zip twice from the same sources, in two fresh build
# folders at different paths and at different times, and checks that the
# two zips are the same bytes, as a user who rebuilds it to check a
# download relies on. It builds the programs twice (10.6 minutes on a
# loaded machine with 2 cores), too slow for ./test.sh; run it after
# changing how the zip or the programs are built.
#
#   scripts/check-windows-reproducible.sh
#
#   AREAEDIT_WINDOWS_BUILD_DIR  the build folder whose library cache (deps/)
#                               both builds start from (build-windows by
#                               default; without one the first build makes it)
#
# Exit status: 0 the same bytes; 1 a build failed or the zips differ (the
# members that differ are named).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cache="${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}/deps"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/areaedit-windows-twice.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM
started=$SECONDS

zips=()
for folder in "$scratch/first" "$scratch/second/build-windows"; do
  mkdir -p "$folder"
  [ -f "$cache/recipe" ] && cp -a "$cache" "$folder/"
  echo "check-windows-reproducible: building in $folder"
  if ! AREAEDIT_WINDOWS_BUILD_DIR="$folder" "$here/scripts/build-windows.sh" >"$folder.log" 2>&1; then
    tail -n 20 "$folder.log" >&2
    echo "check-windows-reproducible: the build in $folder failed" >&2
    exit 1
  fi
  cache="$folder/deps"
  zips+=("$folder/areaedit-windows.zip")
  sleep 1  # the second build's own times are later, whatever its speed
done

if cmp -s "${zips[@]}"; then
  echo "check-windows-reproducible: the same zip twice, $(cut -d' ' -f1 "$scratch/first/SHA256SUMS")" \
       "($((SECONDS - started)) s)"
  exit 0
fi
python3 - "${zips[@]}" <<'EOF'
import sys
import zipfile

def entries(path):
    with zipfile.ZipFile(path) as z:
        return {i.filename: (i.date_time, i.external_attr, i.extra, i.compress_type, z.read(i))
                for i in z.infolist()}

one, other = (entries(path) for path in sys.argv[1:])
differ = sorted(name for name in one.keys() | other.keys() if one.get(name) != other.get(name))
print("check-windows-reproducible: the zips differ in: " + (", ".join(differ) or
      "their order or compression only"), file=sys.stderr)
EOF
exit 1
