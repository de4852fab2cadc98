#!/usr/bin/env bash
# Builds make_font (needs libfreetype-dev, zlib1g-dev, fonts-dejavu-core) and
# regenerates framework/text/embedded_font.cpp. Extra arguments go to make_font,
# e.g. tools/make_font/make_font.sh --preview /tmp/font.png
set -eu
cd "$(dirname "$0")/../.."
bin=${TMPDIR:-/tmp}/tessaline_make_font
c++ -std=c++17 -O2 -Wall -Wextra -Werror -o "$bin" tools/make_font/make_font.cpp tools/make_font/font_preview.cpp \
  $(pkg-config --cflags --libs freetype2) -lz
"$bin" "$@"
