#!/usr/bin/env bash
# Redraws the README's contact sheets with shapetool and no display:
# docs/gallery.png, the snippets in examples/, and docs/random.png, the first
# 48 random draws of seed 7.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
env -u DISPLAY build/shapetool gallery examples -o docs/gallery.png --columns 5 --solid --turn 20 -q
draws=$(mktemp -d)
trap 'rm -rf "$draws"' EXIT
build/shapetool random --count 48 --seed 7 --outdir "$draws" -q
env -u DISPLAY build/shapetool gallery "$draws" -o docs/random.png --columns 8 --solid --thumb 128x96 -q
