#!/usr/bin/env bash
# Checks the framework's include graph: the bottom layers never reach up.
# framework/core includes only core; framework/util only core and util;
# framework/config only core, util and config. None of them includes a GL,
# X11 or Windows header. Prints each offending line and exits 1 when any.
set -u
cd "$(dirname "$0")/.."
status=0
check() {  # folder, allowed framework folders (regex)
  local folder=$1 allowed=$2 file line
  for file in "framework/$folder"/*.h "framework/$folder"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r line; do
      echo "$file: $line"
      status=1
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" |
             grep -E '"framework/|<(GL|X11)/|<windows\.h>|<wingdi\.h>' |
             grep -vE "\"framework/($allowed)/")
  done
}
check core 'core'
check util 'core|util'
check config 'core|util|config'
if [ "$status" -ne 0 ]; then
  echo "check-layers: the lines above include a higher layer, GL or the platform" >&2
else
  echo "check-layers: core, util and config include nothing above them"
fi
exit "$status"
