#!/usr/bin/env bash
# Redraws docs/gallery.png, the README's contact sheet of the snippets in
# examples/, with shapetool and no display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
env -u DISPLAY build/shapetool gallery examples -o docs/gallery.png --columns 5 --solid --turn 20
