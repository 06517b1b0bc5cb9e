#!/usr/bin/env bash
# Renders the font's whole glyph set through the real font on a virtual
# display into docs/font.png, magnified three times without smoothing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target font_sheet
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
scripts/virtual_display.sh build/font_sheet "$scratch/font.ppm"
mkdir -p docs
convert "$scratch/font.ppm" -scale 300% -strip docs/font.png
