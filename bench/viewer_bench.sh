#!/usr/bin/env bash
# The full-view quad with the overlay and a whole frame ending (viewer_bench)
# against the bare loop and against NumPy, side by side.
# Usage: bench/viewer_bench.sh [frames]   (after tools/build.sh linux)
set -eu
cd "$(dirname "$0")/.."
frames=${1:-20}
tools/with-xvfb.sh build-linux/viewer_bench "$frames" > /tmp/tess-viewer-bench.txt
/usr/bin/python3 bench/numpy_map.py 3 > /tmp/tess-numpy-bench.txt
paste <(cat /tmp/tess-viewer-bench.txt) <(awk '{print $2}' /tmp/tess-numpy-bench.txt) |
  awk 'NR == 1 { printf "%s %14s %12s\n", $0, "", "numpy/framed"; next }
       { printf "%-6s %14s %14s %10s %14s %12.1f\n", $1, $2, $3, $4, $5, $5 / $2 }'
