#!/bin/bash
# The shards of one tessaline scan over a few machines with GNU parallel and
# ssh, then joined into OUT.csv. Every machine needs tessaline on its PATH and
# the working folder shared (NFS); without one, add --transferfile and
# --return to the parallel line.
#
#   HOSTS=4/alpha,4/beta SHARDS=16 parallel-scan.sh     (4 jobs on each of two machines)
#   parallel-scan.sh                                     (this machine only: HOSTS=:)
#
# Run it again after a failure: --resume keeps every row already written.
set -eu
TESSALINE=${TESSALINE:-tessaline}
SCAN=${SCAN:---scan 0.05:3:60 --phases -85:-5:17 --cells 1000 --size 1024x1024}
OUT=${OUT:-scan}
SHARDS=${SHARDS:-8}
HOSTS=${HOSTS:-:}
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
parallel --sshlogin "$HOSTS" --workdir . --retries 3 --halt now,fail=1 \
  $TESSALINE $SCAN --shard {}/"$SHARDS" --resume --csv "$OUT"-{}.csv ::: $(seq 1 "$SHARDS")
bash "$here/join-shards.sh" "$OUT" "$SHARDS"
