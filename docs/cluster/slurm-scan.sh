#!/bin/bash
# One shard of a tessaline scan per task of a Slurm job array, then a join.
#
#   jobid=$(sbatch --parsable --array=1-16 slurm-scan.sh)
#   sbatch --dependency=afterok:$jobid slurm-scan.sh join 16
#
# A task that is killed or requeued goes on where it stopped (--resume keeps
# the rows its file already holds). Set the scan in SCAN and the file names'
# stem in OUT, here or with sbatch --export.
#SBATCH --job-name=tessaline-scan
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --time=04:00:00
#SBATCH --requeue
#SBATCH --output=tessaline-scan-%A_%a.log
set -eu
TESSALINE=${TESSALINE:-tessaline}
SCAN=${SCAN:---scan 0.05:3:60 --phases -85:-5:17 --cells 1000 --size 1024x1024}
OUT=${OUT:-scan}
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# sbatch runs a copy of the script: the join's helper is looked for beside the original too.
[ -n "${SLURM_SUBMIT_DIR:-}" ] && [ ! -f "$here/join-shards.sh" ] && here=$SLURM_SUBMIT_DIR

if [ "${1:-}" = join ]; then
  exec bash "$here/join-shards.sh" "$OUT" "$2"
fi
k=$SLURM_ARRAY_TASK_ID
n=${SHARDS:-$SLURM_ARRAY_TASK_COUNT}
# No display on a compute node: --scan draws offscreen (EGL on Mesa).
$TESSALINE $SCAN --shard "$k/$n" --resume --csv "$OUT-$k.csv"
