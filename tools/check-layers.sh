#!/usr/bin/env bash
# Checks the framework's include graph, bottom to top: core; platform; window;
# shader; util, config and draw; text. A folder includes only its own and
# lower folders' headers: core, util and config nothing of the platform,
# window or GL. No folder but platform includes a GL, X11 or Windows header
# (GL comes through framework/platform/gl.h). The platform entries
# (*_entry.cpp) call app_main and sit above everything. In app/, the model
# (app/model) includes no GL, no rendering and no overlay; rendering nothing
# of the overlays; none of them the drivers (app/headless, the viewer's
# frame at the top). Prints each offending line
# and exits 1 when there is any.
set -u
cd "$(dirname "$0")/.."
status=0
# Folder, what its includes of ours may name (regex after the opening quote),
# includes it may not have even so (regex).
check() {
  local folder=$1 allowed=$2 banned=$3 file line
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    case "$file" in *_entry.cpp) continue ;; esac
    while IFS= read -r line; do
      echo "$file:$line"
      status=1
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" |
             A="\"($allowed)" B=$banned awk '(/"(framework|app)\// && $0 !~ ENVIRON["A"]) || $0 ~ ENVIRON["B"]')
  done
}
fw() { check "framework/$1" "framework/($2)/" "$3"; }
# The app may use the framework, its own folders as allowed and the generated version.
app() { check "app/$1" "framework/|app/($2)/|app/version\.h\"" "$3"; }
os='<(GL|GLES[0-9]*|EGL|KHR|X11)/|<windows\.h>|<wingdi\.h>|<unistd\.h>|<pthread\.h>'
fw core 'core' "$os"
fw platform 'platform' '^$'
fw window 'core|platform|window' "$os"
fw shader 'core|platform|window|shader' "$os"
fw util 'core|util' "$os"
fw config 'core|util|config' "$os"
fw draw 'core|platform|window|shader|util|draw' "$os"
fw text 'core|platform|window|shader|util|config|draw|text' "$os"
gl='"framework/(platform/gl|shader/|draw/|text/)|"framework/window/(graphics|offscreen|screenshot|png|caps|pixel_store)\.h"'
app model 'model' "$os|$gl"
app render 'model|render' "$os"
app overlays 'model|overlays' "$os"
app headless 'model|render|overlays|headless' "$os"
if [ "$status" -ne 0 ]; then
  echo "check-layers: the lines above reach a higher layer, GL or the platform's headers" >&2
else
  echo "check-layers: every framework and app folder includes only itself and the layers below"
fi
exit "$status"
