#!/usr/bin/env bash
# Installs what is missing, builds every flavour (Linux, Linux with
# AddressSanitizer + UndefinedBehaviorSanitizer, Windows with MinGW-w64) and
# runs every test: the include-layer check, the Linux ones natively, the Windows
# ones under Wine (through the CMake presets linux, linux-asan, windows-mingw),
# then the packages (tools/check-package.sh), all on a private Xvfb display;
# then a short run of every fuzz target (FUZZ_SECONDS each, 15 by default),
# each counted as one test. Ends with one line "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
bash tools/deps.sh || exit 1

# The include graph first: a bottom layer reaching up fails the run (counted below).
echo "== include layers"
export layers_failed=0
bash tools/check-layers.sh || layers_failed=1

for flavour in linux asan windows; do
  echo "== build $flavour"
  tools/build.sh "$flavour" 2>&1 | grep -vE '^\[ *[0-9]+%\] (Building|Linking|Built)' || true
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "build $flavour failed"; echo "0 passed, 1 failed"; exit 1; }
done

export WINEPREFIX=${WINEPREFIX:-/tmp/tessaline-wine-ci}
source tools/wine-prefix.sh

run_suites() {
  local passed=$((1 - layers_failed)) failed=$layers_failed
  for preset in linux linux-asan windows-mingw; do
    echo "== tests: $preset"
    log=$(mktemp)
    # One test at a time: they share the display, the pointer and the keyboard.
    # The presets carry the sanitizer and Wine settings.
    ctest --preset "$preset" 2>&1 | tee "$log"
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    total=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
    if [ -z "$line" ]; then total=1; bad=1; fi
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    rm -f "$log"
  done
  wineserver -k 2>/dev/null || true
  # The packages from the folders just tested: no rebuild.
  echo "== packages"
  log=$(mktemp)
  bash tools/check-package.sh 2>&1 | tee "$log"
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
  if [ -z "$line" ]; then line="0 passed, 1 failed"; fi
  passed=$((passed + ${line%% passed*}))
  failed=$((failed + $(echo "$line" | sed -E 's/.*, ([0-9]+) failed/\1/')))
  rm -f "$log"
  echo "== fuzz smoke: ${FUZZ_SECONDS:-15} s per target"
  log=$(mktemp)
  tools/fuzz/fuzz.sh "${FUZZ_SECONDS:-15}" 2>&1 | tee "$log"
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
