#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: in
# the plain build and in one built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Between them the Windows build's suite runs
# under Wine (scripts/test-windows.sh). Then runs each fuzz target for a
# bounded time.
# The window tests start their own virtual X server, so no display is needed.
#
#   FUZZ_SECONDS=N ./test.sh    fuzz each target for N seconds (default 30;
#                               0 skips fuzzing)
#   AREAEDIT_BUILD_DIR, AREAEDIT_SANITIZE_BUILD_DIR, AREAEDIT_FUZZ_BUILD_DIR
#                               build folders other than build, build-sanitize
#                               and build-fuzz
#
# Any failed test, sanitizer report or fuzz finding fails the run; the last
# lines sum it up, naming each test that skipped itself (a drill without
# root, say). Under CI=true a skip of a failure drill or of the clean-system
# install fails the run as well: CI runs as root with the archive at hand,
# so there these tests have no reason to skip.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
plain="${AREAEDIT_BUILD_DIR:-$here/build}"
sanitize="${AREAEDIT_SANITIZE_BUILD_DIR:-$here/build-sanitize}"
fuzz="${AREAEDIT_FUZZ_BUILD_DIR:-$here/build-fuzz}"
fuzz_seconds="${FUZZ_SECONDS:-30}"
fuzz_targets=(fuzz_load_area fuzz_read_input fuzz_dialogue fuzz_merge_diff fuzz_edit_text fuzz_tile_set)
started=$SECONDS

AREAEDIT_BUILD_DIR="$plain" "$here/scripts/setup.sh" --tests

echo "test.sh: building the sanitizer build in $sanitize"
cmake -S "$here" -B "$sanitize" -DAREAEDIT_SANITIZE=ON >/dev/null
cmake --build "$sanitize" -j"$(nproc)"
if [ "$fuzz_seconds" -gt 0 ]; then
  echo "test.sh: building the fuzz targets in $fuzz"
  cmake -S "$here" -B "$fuzz" -DCMAKE_CXX_COMPILER=clang++ -DAREAEDIT_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$fuzz" -j"$(nproc)" --target "${fuzz_targets[@]}"
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/areaedit-test.XXXXXX")"
# The fuzz targets save areas, with fsync, thousands of times a second: their
# working folders go on a memory file system where there is one.
fuzz_scratch="$scratch"
[ -w /dev/shm ] && fuzz_scratch="$(mktemp -d /dev/shm/areaedit-fuzz.XXXXXX)"
trap 'rm -rf "$scratch" "$fuzz_scratch"' EXIT
summary=()
failed=0
passed_count=0
failed_count=0
skipped_count=0
skipped_lines=()
must_run=(drill_disk drill_access debian_install)

# run_suite LABEL BUILD: the whole ctest suite of one build; its closing line
# is kept for the summary.
run_suite() {
  local label="$1" build="$2" log="$scratch/$1.log" status=0
  echo "test.sh: running the suite in $build"
  (cd "$build" && ctest --output-on-failure --timeout 300 -j2) 2>&1 | tee "$log" || status=$?
  count_suite "$label" "$log" "$status" "$build"
}

# count_suite LABEL LOG STATUS BUILD: adds the ctest run in LOG to the counts.
# CTest counts a skipped test among those passed; here it counts as skipped,
# and is listed with the reasons its cases gave (from BUILD's LastTest.log).
# Under CI=true a skip of a test in must_run fails the run.
count_suite() {
  local label="$1" log="$2" status="$3" build="$4"
  local line name reasons skipped=()
  line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)"
  mapfile -t skipped < <(sed -n '/^The following tests did not run:/,/^$/s/^[[:space:]]*[0-9]* - \(.*\) (\(Skipped\|Disabled\))$/\1/p' "$log")
  summary+=("$label: ${line:-ctest printed no result (status $status)}")
  if [[ "$line" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    failed_count=$((failed_count + BASH_REMATCH[1]))
    passed_count=$((passed_count + BASH_REMATCH[2] - BASH_REMATCH[1] - ${#skipped[@]}))
    skipped_count=$((skipped_count + ${#skipped[@]}))
  else
    failed_count=$((failed_count + 1))  # no tests ran: the build itself failed
  fi
  for name in "${skipped[@]}"; do
    reasons="$(skip_reasons "$build/Testing/Temporary/LastTest.log" "$name")"
    skipped_lines+=("test.sh: skipped: $label: $name${reasons:+: $reasons}")
    if [ "${CI:-}" = true ] && [[ " ${must_run[*]} " == *" $name "* ]]; then
      skipped_lines+=("test.sh: $label: $name was skipped, which CI must not do: FAILED")
      failed=1
    fi
  done
  [ "$status" -eq 0 ] && [ -n "$line" ]
}

# skip_reasons LASTTEST NAME: the distinct reasons that test NAME's unittest
# cases gave for skipping ("... skipped 'needs root'"), joined by "; ".
skip_reasons() {
  [ -f "$1" ] || return 0
  awk -v name="$2" '
    /^[0-9]+\/[0-9]+ Testing: / { current = substr($0, index($0, ": ") + 2) }
    current == name && / \.\.\. skipped / {
      reason = substr($0, index($0, " ... skipped ") + 13)
      if (!(reason in seen)) { seen[reason] = 1; all = all (all == "" ? "" : "; ") reason }
    }
    END { print all }' "$1"
}

if run_suite "plain build" "$plain"; then
  summary+=("test.sh: plain build: passed")
else
  summary+=("test.sh: plain build: FAILED")
  failed=1
fi

# The Windows build, cross-built and tested under Wine.
windows_started=$SECONDS
windows_status=0
"$here/scripts/test-windows.sh" 2>&1 | tee "$scratch/windows.log" || windows_status=$?
if count_suite "Windows build under Wine" "$scratch/windows.log" "$windows_status" \
     "${AREAEDIT_WINDOWS_BUILD_DIR:-$here/build-windows}"; then
  summary+=("test.sh: Windows build under Wine: passed in $((SECONDS - windows_started)) s")
else
  summary+=("test.sh: Windows build under Wine: FAILED")
  failed=1
fi

# The sanitizers stop the program at the first error with a status of their
# own (86), which no test expects, and write the report into a folder
# checked afterwards, which also catches reports of programs that a test
# killed. The folder is open to every user: a drill runs the program as an
# unprivileged one. Reports are kept in the build's sanitizer-reports/.
logs="$scratch/sanitizer-logs"
kept_reports="$sanitize/sanitizer-reports"
rm -rf "$kept_reports"
mkdir -p "$logs"
chmod 755 "$scratch"
chmod 1777 "$logs"
sanitizer_options="halt_on_error=1:exitcode=86:log_path=$logs/report:print_stacktrace=1"
export ASAN_OPTIONS="$sanitizer_options:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1"
export UBSAN_OPTIONS="$sanitizer_options"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
suite_ok=1
run_suite "sanitizer build" "$sanitize" || suite_ok=0
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
reports=("$logs"/*)
[ -e "${reports[0]}" ] || reports=()
if [ ${#reports[@]} -gt 0 ]; then
  mkdir -p "$kept_reports"
  cp "${reports[@]}" "$kept_reports/"
  for report in "${reports[@]}"; do
    echo "---- sanitizer report $report"
    head -c 20000 "$report"
  done
fi
if [ "$suite_ok" -eq 1 ] && [ ${#reports[@]} -eq 0 ]; then
  summary+=("test.sh: sanitizer build: passed, no sanitizer reports")
else
  summary+=("test.sh: sanitizer build: FAILED, ${#reports[@]} sanitizer report(s) in $kept_reports")
  failed=1
fi

# fuzz_target NAME: runs it from a copy of its seeds; a crash, a hang
# (-timeout), a leak or any other finding leaves a file in findings/.
findings="$fuzz/findings"
fuzz_target() {
  local target="$1" corpus="$scratch/corpus-$1" log="$scratch/$1.log" status=0
  local options=()
  case "$target" in
    fuzz_read_input) options=(-dict="$here/fuzz/numbers.dict") ;;
    fuzz_dialogue) options=(-dict="$here/fuzz/dialogue.dict") ;;
    fuzz_edit_text) options=(-dict="$here/fuzz/edit_text.dict") ;;
    # A child process per input: small inputs keep each one cheap.
    fuzz_tile_set) options=(-max_len=4096) ;;
  esac
  cp -r "$here/fuzz/corpus/$target" "$corpus"
  # The tile sets the graphics library faults on are its seeds as well.
  if [ "$target" = fuzz_tile_set ]; then
    cp "$here"/tests/tile_sets/*.dat "$corpus"/
  fi
  echo "test.sh: fuzzing $target for $fuzz_seconds s"
  TMPDIR="$fuzz_scratch" "$fuzz/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=5 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
  local runs
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  local found=("$findings/$target"-*)
  [ -e "${found[0]}" ] || found=()
  if [ "$status" -eq 0 ] && [ ${#found[@]} -eq 0 ]; then
    summary+=("test.sh: fuzzing: $target: ${runs:-?} runs in $fuzz_seconds s, no findings")
    passed_count=$((passed_count + 1))
  else
    tail -n 60 "$log"
    summary+=("test.sh: fuzzing: $target: FAILED (status $status), findings: ${found[*]:-none}")
    failed_count=$((failed_count + 1))
    failed=1
  fi
}

if [ "$fuzz_seconds" -gt 0 ]; then
  rm -rf "$findings"
  mkdir -p "$findings"
  for target in "${fuzz_targets[@]}"; do
    fuzz_target "$target"
  done
else
  summary+=("test.sh: fuzzing: skipped (FUZZ_SECONDS=0)")
fi

echo
echo "==== summary ($((SECONDS - started)) s)"
printf '%s\n' "${summary[@]}" "${skipped_lines[@]}"
echo "test.sh: $passed_count passed, $failed_count failed, $skipped_count skipped"
exit "$failed"
