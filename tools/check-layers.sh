#!/usr/bin/env bash
# Checks the framework's include graph, bottom to top: core; platform; window;
# shader; util, config and draw; text. A folder includes only its own and
# lower folders' headers: core, util and config nothing of the platform,
# window or GL. No folder but platform includes a GL, X11 or Windows header
# (GL comes through framework/platform/gl.h). The platform entries
# (*_entry.cpp) call app_main and sit above everything. Prints each offending
# line and exits 1 when there is any.
set -u
cd "$(dirname "$0")/.."
status=0
check() {  # folder, framework folders it may include (regex), system headers it may not (regex)
  local folder=$1 allowed=$2 banned=$3 file line
  for file in "framework/$folder"/*.h "framework/$folder"/*.cpp; do
    [ -e "$file" ] || continue
    case "$file" in *_entry.cpp) continue ;; esac
    while IFS= read -r line; do
      echo "$file:$line"
      status=1
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" |
             grep -E "\"framework/|$banned" | grep -vE "\"framework/($allowed)/")
  done
}
os='<(GL|GLES[0-9]*|EGL|KHR|X11)/|<windows\.h>|<wingdi\.h>|<unistd\.h>|<pthread\.h>'
check core 'core' "$os"
check platform 'platform' '^$'
check window 'core|platform|window' "$os"
check shader 'core|platform|window|shader' "$os"
check util 'core|util' "$os"
check config 'core|util|config' "$os"
check draw 'core|platform|window|shader|util|draw' "$os"
check text 'core|platform|window|shader|util|config|draw|text' "$os"
if [ "$status" -ne 0 ]; then
  echo "check-layers: the lines above reach a higher layer, GL or the platform's headers" >&2
else
  echo "check-layers: every framework folder includes only itself and the layers below"
fi
exit "$status"
