#!/usr/bin/env bash
# Builds tools/fuzz/fuzz_font_load with clang (libFuzzer, ASan, UBSan) into
# build-fuzz (or $BUILD_DIR) and runs it under a private Xvfb for SECONDS (600 by
# default). Usage: tools/fuzz/run_fuzz.sh [SECONDS] [extra libFuzzer flags]
# Environment: TESS_FUZZ_TEXTURE_LIMIT (texture limit, 256), TESS_DISPLAY_NUMBER.
# Findings land in $BUILD_DIR/fuzz_findings; keep one as tests/fuzz_crashers/<name>.
set -eu
cd "$(dirname "$0")/../.."
seconds=${1:-600}
shift || true
dir=${BUILD_DIR:-build-fuzz}
jobs=${JOBS:-2}
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"

# The framework, instrumented for coverage as well.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags -fsanitize=fuzzer-no-link" -DTESS_TESTS=OFF -DTESS_BENCH=OFF -DTESS_EXAMPLES=OFF >/dev/null
cmake --build "$dir" -j "$jobs" --target tessaline_fw >/dev/null
xrandr_lib=$(grep -o 'X11_Xrandr_LIB:FILEPATH=.*' "$dir/CMakeCache.txt" | cut -d= -f2 || true)
clang++ -std=c++17 $flags -fsanitize=fuzzer -I. -o "$dir/fuzz_font_load" \
  tools/fuzz/fuzz_font_load.cpp tests/support/test_window.cpp "$dir/libtessaline_fw.a" "$dir/libtessaline_core.a" \
  -lGL -lEGL -lX11 ${xrandr_lib:+"$xrandr_lib"} -lm

# Seeds: the embedded font, nothing at all, one glyph, a record cut short, a wide row.
corpus="$dir/fuzz_corpus"
mkdir -p "$corpus" "$dir/fuzz_findings"
python3 - "$corpus" <<'PY'
import re, sys
src = open("framework/text/embedded_font.cpp").read()
body = src[src.index("{") + 1:src.rindex("}")]
out = sys.argv[1] + "/"
open(out + "embedded", "wb").write(bytes(int(v) for v in re.findall(r"\d+", body)))
open(out + "empty", "wb").write(b"")
open(out + "one", "wb").write(bytes([2, 2, 17, 39, 255, 4]))
open(out + "short", "wb").write(bytes([3, 5, 12, 12, 12, 12]))
open(out + "wide", "wb").write(bytes([255, 1] + [39] * 255) * 3)
PY

TESS_DISPLAY_NUMBER=${TESS_DISPLAY_NUMBER:-90} tools/with-xvfb.sh \
  "$dir/fuzz_font_load" -max_total_time="$seconds" -artifact_prefix="$dir/fuzz_findings/" \
  -print_final_stats=1 "$@" "$corpus"
