#!/usr/bin/env bash
# Builds the markup fuzz target (libFuzzer with ASan and UBSan) and runs it
# for the given number of seconds (default 600). Corpus and crash inputs go
# to the build folder (BUILD_DIR, default build-fuzz); a crash stops the run.
set -eu
cd "$(dirname "$0")/../.."
seconds=${1:-600}
dir=${BUILD_DIR:-build-fuzz}
mkdir -p "$dir/markup_corpus" "$dir/markup_crashes"
clang++ -std=c++17 -g -O1 -I. -Wall -Wextra -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  framework/text/markup.cpp tools/fuzz/fuzz_markup.cpp -o "$dir/fuzz_markup"
# Seeds: byte 0 = depth | pass << 3, byte 1 = capacity choice, then the text.
seed() { printf "$1" > "$dir/markup_corpus/seed_$2"; }
seed '\x02\xc0Alpha and alpha' 1
seed '\x02\x40x^2' 2
seed '\x02\x80x_{ij}' 3
seed '\x02\xc0e^{x^2}' 4
seed '\x0a\xc0#tab=120#Name' 5
seed '\x0a\x41#COL=255#' 6
seed '\x07\x02pipipipipi' 7
seed '\x07\x83a^{b_{c^{d}}}e^' 8
seed '\x12\xc0\x05\x02\xb3\x00\x26\x00x^\x02\x01' 9
seed '\x1b\x44x^{\x02\x01{}y^\x05' 10
# Dictionary: the names and marks the passes look for.
{
  for w in alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron \
           pi rho sigma tau upsilon phi chi psi omega vardelta varzeta vartheta varphi varomega \
           '#col=' '#tab=' '#COL=' '^{' '_{' '}' '^' '_'; do
    printf '"%s"\n' "$w"
  done
  printf '"\\x02\\x01\\x00"\n"\\x05\\x02\\xb3\\x00\\x26\\x00"\n'
} > "$dir/markup.dict"
exec "$dir/fuzz_markup" -dict="$dir/markup.dict" -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix="$dir/markup_crashes/" -print_final_stats=1 "$dir/markup_corpus"
