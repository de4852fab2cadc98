#!/usr/bin/env bash
# Installs what is missing, builds every flavour (Linux, Linux with
# AddressSanitizer + UndefinedBehaviorSanitizer, Windows with MinGW-w64) and
# runs every test: the Linux ones natively, the Windows ones under Wine, all on
# a private Xvfb display; then a short run of every fuzz target (FUZZ_SECONDS
# each, 20 by default), each counted as one test. Ends with one line
# "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/deps.sh || exit 1

for flavour in linux asan windows; do
  echo "== build $flavour"
  tools/build.sh "$flavour" 2>&1 | grep -vE '^\[ *[0-9]+%\] (Building|Linking|Built)' || true
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "build $flavour failed"; echo "0 passed, 1 failed"; exit 1; }
done

export WINEPREFIX=${WINEPREFIX:-/tmp/tessaline-wine-ci}
source tools/wine-prefix.sh
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_suites() {
  local passed=0 failed=0
  for flavour in linux asan windows; do
    echo "== tests: $flavour"
    log=$(mktemp)
    # One test at a time: they share the display, the pointer and the keyboard.
    ctest --test-dir "build-$flavour" --output-on-failure --timeout 900 2>&1 | tee "$log"
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    total=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
    if [ -z "$line" ]; then total=1; bad=1; fi
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    rm -f "$log"
  done
  wineserver -k 2>/dev/null || true
  echo "== fuzz smoke: ${FUZZ_SECONDS:-20} s per target"
  log=$(mktemp)
  tools/fuzz/fuzz.sh "${FUZZ_SECONDS:-20}" 2>&1 | tee "$log"
  line=$(grep -E '^fuzz: [0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
  else
    passed=$((passed + $(echo "$line" | sed -E 's/fuzz: ([0-9]+) passed.*/\1/')))
    failed=$((failed + $(echo "$line" | sed -E 's/.* ([0-9]+) failed/\1/')))
  fi
  rm -f "$log"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
export -f run_suites
tools/with-xvfb.sh bash -c run_suites
