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
xvfb-run -a -s "-screen 0 1280x1024x24" build/font_sheet "$scratch/font.ppm"
mkdir -p docs
convert "$scratch/font.ppm" -scale 300% -strip docs/font.png
