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

# Runs a command, its output shown as it goes, and adds the counts of the last
# line matching PATTERN, its summary, to passed and failed: ctest's
# "N% tests passed, F tests failed out of T" or "[fuzz: ]P passed, F failed".
# A run that leaves no summary (it died, or never started) counts as one failure.
tally() {
  local pattern=$1 log line
  shift
  log=$(mktemp)
  "$@" 2>&1 | tee "$log"
  line=$(grep -E "$pattern" "$log" | tail -1)
  rm -f "$log"
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[1]))
  elif [[ $line =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
  else
    failed=$((failed + 1))
  fi
}

run_suites() {
  local passed=$((1 - layers_failed)) failed=$layers_failed
  for preset in linux linux-asan windows-mingw; do
    echo "== tests: $preset"
    # One wineserver for the whole Windows run. By default it exits, with its
    # system processes, the moment the last Wine process ends, and a test
    # starting in that moment can be taken down with it. The system processes
    # start here, on /dev/null: started by the first test they would hold its
    # output pipe open, and ctest would wait for them.
    if [ "$preset" = windows-mingw ]; then
      wineserver -p
      wine cmd /c exit </dev/null >/dev/null 2>&1
    fi
    # One test at a time: they share the display, the pointer and the keyboard.
    # The presets carry the sanitizer and Wine settings.
    tally 'tests passed, [0-9]+ tests failed out of [0-9]+' ctest --preset "$preset"
  done
  wineserver -k 2>/dev/null || true
  # The packages from the folders just tested: no rebuild.
  echo "== packages"
  tally '^[0-9]+ passed, [0-9]+ failed$' bash tools/check-package.sh
  echo "== fuzz smoke: ${FUZZ_SECONDS:-15} s per target"
  tally '^fuzz: [0-9]+ passed, [0-9]+ failed' tools/fuzz/fuzz.sh "${FUZZ_SECONDS:-15}"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
export -f tally run_suites
tools/with-xvfb.sh bash -c run_suites
