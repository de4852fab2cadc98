#!/bin/bash
# Joins the N shard files OUT-1.csv .. OUT-N.csv of one scan into OUT.csv in
# the order of the unsharded run: shard K holds rows K, K+N, K+2N, ..., so
# taking one row from each file in turn restores it. The "#" lines (which
# name each shard) are left out; the header is written once.
# Usage: join-shards.sh OUT N
set -eu
out=$1
n=$2
rows=$(mktemp -d)
trap 'rm -rf "$rows"' EXIT
for k in $(seq 1 "$n"); do
  [ -s "$out-$k.csv" ] || { echo "join-shards: $out-$k.csv is missing or empty" >&2; exit 1; }
  grep -v '^#' "$out-$k.csv" | tail -n +2 > "$rows/$k"
done
{
  grep -v '^#' "$out-1.csv" | head -n 1
  paste -d '\n' $(for k in $(seq 1 "$n"); do echo "$rows/$k"; done) | grep -v '^$' || true
} > "$out.csv.part"
mv "$out.csv.part" "$out.csv"
