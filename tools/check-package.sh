#!/usr/bin/env bash
# Makes the packages from the built folders (cpack in build-linux: the
# tessaline and tessaline-dev .debs; in build-windows: the two .zips), checks what
# they hold, installs the viewer's .deb with dpkg, asks the installed program
# for --version and --help, runs the viewer on the X display in DISPLAY until
# Escape, and removes the package again.
# Prints one line per check and ends with "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
version=$(sed -nE 's/^project\(tessaline VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
out=$(mktemp -d)
passed=0 failed=0
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
installed=0
cleanup() {
  [ "$installed" -eq 1 ] && $sudo_cmd dpkg -r tessaline >/dev/null 2>&1
  rm -rf "$out"
}
trap cleanup EXIT

check() {  # description, command...
  local what=$1; shift
  if "$@" >"$out/log" 2>&1; then
    echo "ok   $what"; passed=$((passed + 1))
  else
    echo "FAIL $what"; sed 's/^/     /' "$out/log" | tail -20; failed=$((failed + 1))
    return 1
  fi
}
lists() {  # listing file, every name that must be in it
  local listing=$1 name; shift
  for name in "$@"; do grep -qE "$name\$" "$listing" || { echo "missing: $name"; return 1; }; done
}
holds() {  # every file whose whole text must be in what comes on stdin
  local text f; text=$(cat)
  for f in "$@"; do [[ $text == *"$(cat "$f")"* ]] || { echo "missing the text of $f"; return 1; }; done
}
deb_holds() { dpkg-deb --fsys-tarfile "$1" | tar -xO "$2" | holds "${@:3}"; }  # .deb, its file, texts
zip_holds() {  # .zip, its file, texts
  python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' \
    "$1" "$2" | holds "${@:3}"
}
depends() {  # .deb, every package (a regex) it must depend on
  local deps p; deps=$(dpkg-deb -f "$1" Depends) || return 1; shift
  echo "Depends: $deps"
  for p in "$@"; do grep -qE "(^|, )$p( |,|$)" <<<"$deps" || return 1; done
}

deb=$out/tessaline_${version}_amd64.deb
dev=$out/tessaline-dev_${version}_amd64.deb
zip=$out/tessaline-${version}-win64.zip
devzip=$out/tessaline-dev-${version}-win64.zip
top=tessaline-${version}-win64  # the folder both .zips unpack into
check "cpack makes the .debs" cpack --config build-linux/CPackConfig.cmake -B "$out"
check "cpack makes the .zips" cpack --config build-windows/CPackConfig.cmake -B "$out"

dpkg-deb -c "$deb" >"$out/deb.txt" 2>&1
check "the viewer's .deb holds the viewer, the read-me and the licences" lists "$out/deb.txt" \
  ./usr/bin/tessaline ./usr/share/doc/tessaline/README.md ./usr/share/doc/tessaline/copyright
for p in tessaline tessaline-dev; do
  check "$p's .deb: its copyright holds the zlib licence and the font's" deb_holds "$out/${p}_${version}_amd64.deb" \
    ./usr/share/doc/$p/copyright LICENSE LICENSES/DejaVu-fonts.txt
done
check "the viewer's .deb depends on the GL and X11 libraries" depends "$deb" "(libgl1|libopengl0)" libx11-6 libxrandr2
dpkg-deb -c "$dev" >"$out/dev.txt" 2>&1
check "the -dev .deb holds libraries, headers, CMake package and pkg-config file" lists "$out/dev.txt" \
  ./usr/lib/libtessaline_fw.a ./usr/lib/libtessaline_core.a ./usr/lib/libtessaline_entry.a \
  ./usr/include/framework/window/graphics.h ./usr/include/framework/platform/platform.h \
  ./usr/lib/cmake/Tessaline/TessalineConfig.cmake ./usr/lib/cmake/Tessaline/TessalineConfigVersion.cmake \
  ./usr/lib/pkgconfig/tessaline.pc ./usr/share/doc/tessaline-dev/framework.md
check "no test, bench or app header in the packages" bash -c \
  "! grep -E 'probe|_test|_bench|include/app/|(x11|win32)_[^/]*\.h$' '$out/deb.txt' '$out/dev.txt'"
python3 -m zipfile -l "$zip" 2>&1 | awk '{print $1}' >"$out/zip.txt"
check "the .zip holds the viewer, the examples, the read-me and the licences, no tests, no libraries" bash -c \
  "$(declare -f lists); lists '$out/zip.txt' $top/tessaline.exe $top/example_shapes.exe $top/example_text.exe \
   $top/README.md $top/LICENSE $top/LICENSES/DejaVu-fonts.txt && ! grep -E 'probe|_test|\\.a$|\\.h$' '$out/zip.txt'"
check "the .zip holds the zlib licence" zip_holds "$zip" $top/LICENSE LICENSE
check "the -dev .zip holds the zlib licence" zip_holds "$devzip" $top/share/doc/tessaline-dev/LICENSE LICENSE
python3 -m zipfile -l "$devzip" 2>&1 | awk '{print $1}' >"$out/devzip.txt"
check "the -dev .zip holds the MinGW-w64 libraries, headers and CMake package" lists "$out/devzip.txt" \
  $top/lib/libtessaline_fw.a $top/lib/libtessaline_core.a $top/lib/cmake/Tessaline/TessalineConfig.cmake \
  $top/include/framework/window/graphics.h $top/share/doc/tessaline-dev/framework.md

if dpkg-query -W -f='${Status}' tessaline 2>/dev/null | grep -q "install ok installed"; then
  check "no tessaline package installed before (left alone)" false
else
  check "dpkg installs the viewer's .deb" $sudo_cmd dpkg -i "$deb" && installed=1
  check "the installed tessaline answers --version and --help" bash -c \
    "tessaline --version | tee /dev/stderr | grep -qx 'tessaline $version' && tessaline --help | grep -q '^Usage: tessaline'"
  # A run in a folder of its own: it writes config.txt there, shows its window and ends on Escape.
  run_installed() {
    local dir=$out/run pid rc
    mkdir -p "$dir" && cd "$dir" || return 1
    timeout 120 /usr/bin/tessaline & pid=$!
    for _ in $(seq 1 200); do xdotool search --onlyvisible --name '^Tessaline$' >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1
    xdotool keydown Escape; wait $pid; rc=$?; xdotool keyup Escape
    cd "$root"
    [ "$rc" -eq 0 ] && grep -q '^Max cells to track: 100' "$dir/config.txt"
  }
  check "the installed viewer runs and ends on Escape" run_installed
  check "dpkg removes it again" bash -c "$sudo_cmd dpkg -r tessaline && ! test -e /usr/bin/tessaline" && installed=0
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
