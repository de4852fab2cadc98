#!/usr/bin/env bash
# Prepares a Wine prefix for running the Windows build unattended: booted
# once, Mono and Gecko installers skipped, the crash dialog off.
# Usage: source tools/wine-prefix.sh   (sets WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES)
export WINEPREFIX=${WINEPREFIX:-/tmp/tessaline-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.tessaline-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  touch "$WINEPREFIX/.tessaline-ready"
fi
