#!/usr/bin/env bash
# Runs a command with DISPLAY pointing at a fresh Xvfb (1920x1080x24), which
# is stopped afterwards. The display number is the first free one from 90 on,
# or TESS_DISPLAY_NUMBER. Waits until the server answers instead of sleeping.
set -u
n=${TESS_DISPLAY_NUMBER:-90}
while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1920x1080x24 -noreset -nolisten tcp +extension GLX +extension RANDR >/tmp/xvfb-$n.log 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null' EXIT
for _ in $(seq 1 200); do
  if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then break; fi
  if ! kill -0 $xvfb_pid 2>/dev/null; then echo "Xvfb failed to start:" >&2; cat /tmp/xvfb-$n.log >&2; exit 1; fi
  sleep 0.05
done
DISPLAY=":$n" "$@"
