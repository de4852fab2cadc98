#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan; cmake/fuzz.cmake)
# into build-fuzz (or $BUILD_DIR) and runs each for SECONDS (600 by default),
# one after another, under a private Xvfb when no display is set.
#   tools/fuzz/fuzz.sh [SECONDS] [TARGET...]     (targets: config, text, ...; all by default)
# Each target keeps its growing corpus in $BUILD_DIR/fuzz/<target>/corpus
# (seeded from tools/fuzz/corpus/<target>) and its findings in .../findings;
# keep a finding as tests/fuzz_crashers/<target>_<what it shows>, where
# fuzz_crashers_test replays it. Prints one line per target with libFuzzer's
# final figures, then "fuzz: N passed, N failed"; exits 1 on any finding.
# Environment: JOBS (build jobs, 2), TESS_FUZZ_TEXTURE_LIMIT (font_load),
# extra libFuzzer flags in FUZZ_FLAGS.
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec tools/with-xvfb.sh "$0" "$@"
fi
seconds=${1:-600}
shift || true
dir=${BUILD_DIR:-build-fuzz}

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTESS_FUZZ=ON \
  -DTESS_TESTS=OFF -DTESS_BENCH=OFF -DTESS_EXAMPLES=OFF >/dev/null || exit 1
list="$dir/fuzz_targets.txt"  # "<name> <kind>" per line, written by cmake/fuzz.cmake
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < <(cut -d' ' -f1 "$list"); fi
build_args=()
for t in "${targets[@]}"; do
  grep -q "^$t " "$list" || { echo "no fuzz target '$t' (see $list)" >&2; exit 2; }
  build_args+=(--target "fuzz_$t")
done
cmake --build "$dir" -j "${JOBS:-2}" "${build_args[@]}" >"$dir/fuzz_build.log" 2>&1 ||
  { tail -30 "$dir/fuzz_build.log"; echo "fuzz: 0 passed, ${#targets[@]} failed"; exit 1; }

# The loader's own seed: the embedded font's bytes, from its source.
mkdir -p "$dir/fuzz/font_load/corpus"
python3 - "$dir/fuzz/font_load/corpus/embedded" <<'PY'
import re, sys
src = open("framework/text/embedded_font.cpp").read()
body = src[src.index("{") + 1:src.rindex("}")]
open(sys.argv[1], "wb").write(bytes(int(v) for v in re.findall(r"\d+", body)))
PY

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
passed=0 failed=0
for t in "${targets[@]}"; do
  work="$dir/fuzz/$t"
  mkdir -p "$work/corpus" "$work/findings"
  dict=()
  [ -f "tools/fuzz/$t.dict" ] && dict=(-dict="tools/fuzz/$t.dict")
  seeds=()
  [ -d "tools/fuzz/corpus/$t" ] && seeds=("tools/fuzz/corpus/$t")
  # The GL driver keeps caches across inputs, which would make libFuzzer run a
  # leak check after nearly every input of a GL target; there leaks are
  # checked once, when the process ends.
  leaks=()
  grep -q "^$t gl$" "$list" && leaks=(-detect_leaks=0)
  before=$(ls "$work/findings" | wc -l)
  # New inputs go to the first folder: the seeds in the tree stay as they are.
  # shellcheck disable=SC2086
  "$dir/fuzz_$t" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$work/findings/" "${dict[@]}" "${leaks[@]}" ${FUZZ_FLAGS:-} "$work/corpus" "${seeds[@]}" \
    >"$work/log.txt" 2>&1
  rc=$?
  findings=$(( $(ls "$work/findings" | wc -l) - before ))
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/log.txt" | tail -1 | grep -o '[0-9]*$')
  last=$(grep -E '^#[0-9]+' "$work/log.txt" | tail -1)
  cov=$(echo "$last" | grep -o 'cov: [0-9]*' | grep -o '[0-9]*')
  ft=$(echo "$last" | grep -o 'ft: [0-9]*' | grep -o '[0-9]*')
  corp=$(echo "$last" | grep -o 'corp: [0-9]*' | grep -o '[0-9]*')
  if [ "$rc" -eq 0 ] && [ "$findings" -eq 0 ]; then
    passed=$((passed + 1)); verdict=PASS
  else
    failed=$((failed + 1)); verdict=FAIL
    grep -E 'ERROR|SUMMARY|invariant|runtime error|#[0-9] ' "$work/log.txt" | head -20
  fi
  echo "$verdict fuzz_$t: ${seconds} s, ${runs:-0} runs, cov ${cov:-?}, ft ${ft:-?}, corpus ${corp:-?}, findings $findings (exit $rc; log $work/log.txt)"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
