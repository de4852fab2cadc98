#!/usr/bin/env bash
# Configures and builds one flavour: linux (default), asan (AddressSanitizer
# and UndefinedBehaviorSanitizer) or windows (MinGW-w64 cross build).
# The build folder is build-<flavour> unless BUILD_DIR says otherwise.
# Extra arguments are passed to cmake --build (e.g. --target window_test).
set -eu
cd "$(dirname "$0")/.."
flavour=${1:-linux}
shift || true
dir=${BUILD_DIR:-build-$flavour}
jobs=${JOBS:-$(nproc)}
case "$flavour" in
  linux)   cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
  asan)    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DTESS_SANITIZE=ON -DTESS_BENCH=OFF >/dev/null ;;
  windows) cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESS_BENCH=OFF \
             -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null ;;
  *) echo "usage: tools/build.sh [linux|asan|windows] [cmake --build args]" >&2; exit 2 ;;
esac
cmake --build "$dir" -j "$jobs" "$@"
