#!/usr/bin/env bash
# Installs the Debian packages the project needs, skipping apt when all are
# there already. Needs root (or sudo) on a machine without them.
set -eu
packages="build-essential cmake g++ pkg-config libgtest-dev googletest libbenchmark-dev libx11-dev libxrandr-dev
  libgl-dev libegl-dev libegl1-mesa-dev libgl1-mesa-dri libglx-mesa0 mesa-utils libstb-dev libcli11-dev xvfb xfonts-base xauth xdotool x11-utils x11-xserver-utils imagemagick
  mingw-w64 wine wine64 python3 python3-numpy python3-pil python3-pefile fonts-dejavu-core libfreetype-dev clang
  libclang-rt-14-dev openbox xserver-xorg-core xserver-xorg-video-dummy parallel"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -q
  $sudo_cmd apt-get install -y -q $missing
fi
