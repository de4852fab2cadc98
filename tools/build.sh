#!/usr/bin/env bash
# Configures and builds one flavour through its CMake preset: linux (default),
# asan (preset linux-asan: AddressSanitizer and UndefinedBehaviorSanitizer) or
# windows (preset windows-mingw: the MinGW-w64 cross build), into the preset's
# own folder, build-<flavour>, where ctest --preset and cpack look for it.
# Extra arguments are passed to cmake --build (e.g. --target window_test).
set -eu
cd "$(dirname "$0")/.."
flavour=${1:-linux}
shift || true
case "$flavour" in
  linux)   preset=linux ;;
  asan)    preset=linux-asan ;;
  windows) preset=windows-mingw ;;
  *) echo "usage: tools/build.sh [linux|asan|windows] [cmake --build args]" >&2; exit 2 ;;
esac
jobs=${JOBS:-$(nproc)}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs" "$@"
